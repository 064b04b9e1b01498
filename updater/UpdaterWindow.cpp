#include "updater/UpdaterWindow.h"

#include "app/ProductInfo.h"
#include "app/UpdateSettings.h"
#include "ui/widgets/ImageControl.h"
#include "ui/widgets/ResourcePictures.h"
#include "update/UpdateIni.h"
#include "updater/FileInstaller.h"
#include "updater/InstallName.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

enum Column { FileNameColumn, DownloadsColumn };

}  // namespace

UpdaterWindow::UpdaterWindow(const QString &programFolder, ProgramLauncher launch, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      m_folder(programFolder), m_launch(std::move(launch)), IdHTTP1(new HttpDownload(this))
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    setWindowTitle(ApplicationTitle);
    setFixedSize(426, 246);

    auto *Panel1 = new QWidget(this);
    Image1 = new ImageControl(Panel1);
    LoadJpegResource(Image1, QStringLiteral("UpdateSide"), QStringLiteral("JPG"));
    Image1->setGeometry(0, 0, 128, 246);
    Panel1->setFixedWidth(128);

    FileListView = new QTreeWidget(this);
    FileListView->setColumnCount(2);
    FileListView->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Downloads")});
    FileListView->headerItem()->setTextAlignment(DownloadsColumn, Qt::AlignRight | Qt::AlignVCenter);
    FileListView->setColumnWidth(FileNameColumn, 188);
    FileListView->setColumnWidth(DownloadsColumn, 80);
    FileListView->setRootIsDecorated(false);
    FileListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FileListView->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListView->setSelectionBehavior(QAbstractItemView::SelectRows);

    PB_Whole = new QProgressBar(this);
    PB_Whole->setRange(0, 1);
    PB_Whole->setValue(0);
    PB_Whole->setTextVisible(false);

    btn_Update = new QPushButton(QStringLiteral("Update"), this);
    Btn_Cancel = new QPushButton(QStringLiteral("Close"), this);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_Update);
    buttons->addWidget(Btn_Cancel);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(8, 8, 8, 8);
    right->addWidget(FileListView, 1);
    right->addWidget(PB_Whole);
    right->addLayout(buttons);
    auto *main = new QHBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(Panel1);
    main->addLayout(right, 1);

    connect(btn_Update, &QPushButton::clicked, this, &UpdaterWindow::UpdateAll);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(IdHTTP1, &HttpDownload::workBegin, this, &UpdaterWindow::IdHTTP1WorkBegin);
    connect(IdHTTP1, &HttpDownload::work, this, &UpdaterWindow::IdHTTP1Work);
    connect(IdHTTP1, &HttpDownload::finished, this, &UpdaterWindow::IdHTTP1WorkEnd);

    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

UpdaterWindow::~UpdaterWindow()
{
    if (m_running) {
        IdHTTP1->disconnect(this);
        IdHTTP1->cancel();
        DiscardRun();
    }
}

void UpdaterWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        LoadFileList();
    }
}

void UpdaterWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Only the first activation starts a run by itself: a failed run reports in a message
    // box, and closing that box activates the window again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_activatedOnce) {
        m_activatedOnce = true;
        QTimer::singleShot(0, this, &UpdaterWindow::UpdateAll);
    }
}

void UpdaterWindow::closeEvent(QCloseEvent *event)
{
    if (!m_running || m_asking) {
        event->setAccepted(!m_asking);
        return;
    }
    m_asking = true;
    QMessageBox box(QMessageBox::Question, ApplicationTitle,
                    QStringLiteral("The new files are not all downloaded yet. Stop the update?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    const bool abort = box.exec() == QMessageBox::Yes;
    m_asking = false;
    if (!abort) {
        event->ignore();
        // A transfer that ended while the question was open goes on now.
        if (m_deferred) {
            const HttpDownload::Result result = *m_deferred;
            m_deferred.reset();
            QTimer::singleShot(0, this, [this, result] { AfterDownload(result); });
        }
        return;
    }
    m_cancel = 1;
    m_deferred.reset();
    if (IdHTTP1->isRunning())
        IdHTTP1->cancel();  // ends the run through IdHTTP1WorkEnd
    if (m_running)
        DiscardRun();
    event->accept();
}

void UpdaterWindow::LoadFileList()
{
    m_folderUrl = ReadUpdateFolderURL();
    const std::optional<UpdateIni> ini =
        UpdateIni::Load(m_folder + QLatin1String(ProductInfo::UpdateDescription));
    m_iniReadable = ini.has_value();
    m_version = ini ? ini->Ver : QString();
    m_rows.clear();
    FileListView->clear();
    if (!ini)
        return;
    for (const QString &line : ini->HttpLines) {
        Row row{line, UrlOfHttpLine(line), {}, {}};
        row.name = InstallNameOf(row.url, m_folderUrl);
        m_rows.append(row);
        auto *item = new QTreeWidgetItem(FileListView);
        item->setText(FileNameColumn, row.name.isEmpty() ? row.url : row.name);
        item->setTextAlignment(DownloadsColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
}

QString UpdaterWindow::CheckRows() const
{
    const QString ini = m_folder + QLatin1String(ProductInfo::UpdateDescription);
    if (!m_iniReadable)
        return tr("The update description \"%1\" cannot be read. Nothing was updated.").arg(ini);
    if (m_rows.isEmpty())
        return tr("The update description \"%1\" lists no files. Nothing was updated.").arg(ini);
    if (m_folderUrl.isEmpty())
        return tr("No update address (\"UpdateURL\") is set, so the listed files cannot be "
                  "checked. Nothing was updated.");
    for (const Row &row : m_rows)
        if (row.name.isEmpty() || !StaysInFolder(m_folder, row.name))
            return tr("The listed file \"%1\" would not land inside the program folder. "
                      "Nothing was updated.").arg(row.url);
    return {};
}

void UpdaterWindow::UpdateAll()
{
    if (m_running || m_done)
        return;
    m_cancel = 0;
    PB_Whole->setRange(0, 1);
    PB_Whole->setValue(0);
    btn_Update->setEnabled(false);
    m_running = true;
    const QString problem = CheckRows();
    if (!problem.isEmpty()) {
        FailRun(problem);
        return;
    }
    for (int i = 0; i < FileListView->topLevelItemCount(); ++i)
        FileListView->topLevelItem(i)->setText(DownloadsColumn, QString());
    m_index = -1;
    DownloadNext();
}

void UpdaterWindow::DownloadNext()
{
    ++m_index;
    if (m_index < m_rows.size())
        DownloadOne(m_rows[m_index]);
    else
        InstallAll();
}

void UpdaterWindow::DownloadOne(Row &row)
{
    PB_Whole->setRange(0, 1);
    PB_Whole->setValue(0);
    FileListView->setCurrentItem(FileListView->topLevelItem(m_index));
    const QString target = m_folder + row.name;
    const QString folder = QFileInfo(target).path();
    if (!QFileInfo::exists(folder)) {
        // Remember each folder made, outermost first, so a discarded run can take them away.
        QStringList missing;
        for (QString f = folder; !QFileInfo::exists(f); f = QFileInfo(f).path())
            missing.prepend(f);
        if (!QDir().mkpath(folder)) {
            FailRun(tr("Cannot create the folder \"%1\". Nothing was updated.").arg(folder));
            return;
        }
        m_madeFolders += missing;
    }
    // Beside the target, so that putting it in place is a rename; never over a user's file.
    for (int n = 0;; ++n) {
        m_out.setFileName(target + QStringLiteral(".download") + (n ? QString::number(n) : QString()));
        if (m_out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!m_out.exists() || n == 99) {
            FailRun(tr("Cannot write \"%1\": %2\nNothing was updated.")
                        .arg(m_out.fileName(), m_out.errorString()));
            return;
        }
    }
    row.downloaded = m_out.fileName();
    IdHTTP1->start(QUrl(row.url), &m_out);
}

void UpdaterWindow::IdHTTP1WorkBegin(qint64 expectedLength)
{
    // Without a length the gauge stays empty.
    m_gaugeScale = 0;
    PB_Whole->setRange(0, 1);
    PB_Whole->setValue(0);
    if (expectedLength <= 0)
        return;
    m_gaugeScale = 1;
    while (expectedLength / m_gaugeScale > std::numeric_limits<int>::max())
        m_gaugeScale *= 1024;
    PB_Whole->setRange(0, int(expectedLength / m_gaugeScale));
}

void UpdaterWindow::IdHTTP1Work(qint64 received)
{
    if (m_gaugeScale > 0)
        SetGauge(received);
    if (QTreeWidgetItem *item = FileListView->topLevelItem(m_index))
        item->setText(DownloadsColumn, QString::asprintf("%lld KB", received / 1024));
}

void UpdaterWindow::SetGauge(qint64 value)
{
    PB_Whole->setValue(int(std::min<qint64>(value / m_gaugeScale, PB_Whole->maximum())));
}

void UpdaterWindow::IdHTTP1WorkEnd(HttpDownload::Result result)
{
    m_out.close();
    if (m_asking) {
        m_deferred = result;
        return;
    }
    AfterDownload(result);
}

void UpdaterWindow::AfterDownload(HttpDownload::Result result)
{
    if (!m_running)
        return;
    switch (result) {
    case HttpDownload::Result::Done:
        DownloadNext();
        return;
    case HttpDownload::Result::Cancelled:
        DiscardRun();
        return;
    case HttpDownload::Result::Failed:
        FailRun(tr("Cannot download \"%1\": %2\nNothing was updated; every file is as it was.")
                    .arg(m_rows[m_index].url, IdHTTP1->errorString()));
        return;
    }
}

void UpdaterWindow::InstallAll()
{
    QList<FileInstaller::Item> items;
    for (const Row &row : m_rows)
        items.append({row.downloaded, m_folder + row.name});
    FileInstaller installer;
    switch (installer.Install(items)) {
    case FileInstaller::Outcome::BackupFailed:
        FailRun(QStringLiteral("Unable to create backup file."));
        return;
    case FileInstaller::Outcome::MoveFailed:
        FailRun(tr("Cannot put the new \"%1\" in place. Every file was put back as it was.")
                    .arg(installer.FailedTarget()));
        return;
    case FileInstaller::Outcome::Installed:
        break;
    }
    m_running = false;
    m_done = true;
    // Only a complete installation is recorded; a description without a version leaves the
    // recorded one alone rather than blank it.
    if (!m_version.isEmpty() && !WriteInstalledVersion(m_version))
        QMessageBox::warning(this, ApplicationTitle,
                             tr("The new files are in place, but the version \"%1\" could not "
                                "be recorded in the settings.").arg(m_version));
    QMessageBox done(QMessageBox::Information, ApplicationTitle,
                     QStringLiteral("Congratulations. Corvane is completely updated and starts again now."),
                     QMessageBox::Ok, this);
    done.exec();
    const QString program = m_folder + QLatin1String(ProductInfo::MainProgram);
    if (!m_launch(program))
        QMessageBox::critical(this, ApplicationTitle, tr("Cannot start \"%1\".").arg(program));
    close();
}

void UpdaterWindow::DiscardRun()
{
    m_out.close();
    for (Row &row : m_rows) {
        if (!row.downloaded.isEmpty())
            QFile::remove(row.downloaded);
        row.downloaded.clear();
    }
    for (auto it = m_madeFolders.crbegin(); it != m_madeFolders.crend(); ++it)
        QDir().rmdir(*it);
    m_madeFolders.clear();
    m_running = false;
    btn_Update->setEnabled(true);
}

void UpdaterWindow::FailRun(const QString &text)
{
    DiscardRun();
    QMessageBox::critical(this, ApplicationTitle, text);
}
