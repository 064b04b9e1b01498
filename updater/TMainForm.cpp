#include "updater/TMainForm.h"

#include "app/ProductInfo.h"
#include "app/UpdateSettings.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/widgets/TImageEx.h"
#include "update/TUpdateIni.h"
#include "updater/InstallName.h"
#include "updater/TFileInstaller.h"

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

TMainForm::TMainForm(const QString &programFolder, ProgramLauncher launch, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      m_folder(programFolder), m_launch(std::move(launch)), IdHTTP1(new THttpDownload(this))
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    setWindowTitle(QStringLiteral("Mirelle Update"));
    setFixedSize(426, 246);

    auto *Panel1 = new QWidget(this);
    Image1 = new TImageEx(Panel1);
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

    connect(btn_Update, &QPushButton::clicked, this, &TMainForm::UpdateAll);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(IdHTTP1, &THttpDownload::workBegin, this, &TMainForm::IdHTTP1WorkBegin);
    connect(IdHTTP1, &THttpDownload::work, this, &TMainForm::IdHTTP1Work);
    connect(IdHTTP1, &THttpDownload::finished, this, &TMainForm::IdHTTP1WorkEnd);

    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm()
{
    if (m_running) {
        IdHTTP1->disconnect(this);
        IdHTTP1->cancel();
        DiscardRun();
    }
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        LoadFileList();
    }
}

void TMainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Only the first activation starts a run by itself: a failed run reports in a message
    // box, and closing that box activates the window again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_activatedOnce) {
        m_activatedOnce = true;
        QTimer::singleShot(0, this, &TMainForm::UpdateAll);
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!m_running || m_asking) {
        event->setAccepted(!m_asking);
        return;
    }
    m_asking = true;
    QMessageBox box(QMessageBox::Question, ApplicationTitle,
                    QStringLiteral("File not download Completed, Aborted") + QChar(0xFF1F),
                    QMessageBox::Yes | QMessageBox::No, this);
    const bool abort = box.exec() == QMessageBox::Yes;
    m_asking = false;
    if (!abort) {
        event->ignore();
        // A transfer that ended while the question was open goes on now.
        if (m_deferred) {
            const THttpDownload::Result result = *m_deferred;
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

void TMainForm::LoadFileList()
{
    m_folderUrl = ReadUpdateFolderURL();
    const std::optional<TUpdateIni> ini =
        TUpdateIni::Load(m_folder + QLatin1String(ProductInfo::UpdateDescription));
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

QString TMainForm::CheckRows() const
{
    const QString ini = m_folder + QLatin1String(ProductInfo::UpdateDescription);
    if (!m_iniReadable)
        return tr("The update description \"%1\" can not be read. Nothing was updated.").arg(ini);
    if (m_rows.isEmpty())
        return tr("The update description \"%1\" lists no files. Nothing was updated.").arg(ini);
    if (m_folderUrl.isEmpty())
        return tr("No update address (\"UpdateURL\") is set, so the listed files can not be "
                  "checked. Nothing was updated.");
    for (const Row &row : m_rows)
        if (row.name.isEmpty() || !StaysInFolder(m_folder, row.name))
            return tr("The listed file \"%1\" would not land inside the program folder. "
                      "Nothing was updated.").arg(row.url);
    return {};
}

void TMainForm::UpdateAll()
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

void TMainForm::DownloadNext()
{
    ++m_index;
    if (m_index < m_rows.size())
        DownloadOne(m_rows[m_index]);
    else
        InstallAll();
}

void TMainForm::DownloadOne(Row &row)
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
            FailRun(tr("Can not create the folder \"%1\". Nothing was updated.").arg(folder));
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
            FailRun(tr("Can not write \"%1\": %2\nNothing was updated.")
                        .arg(m_out.fileName(), m_out.errorString()));
            return;
        }
    }
    row.downloaded = m_out.fileName();
    IdHTTP1->start(QUrl(row.url), &m_out);
}

void TMainForm::IdHTTP1WorkBegin(qint64 expectedLength)
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

void TMainForm::IdHTTP1Work(qint64 received)
{
    if (m_gaugeScale > 0)
        SetGauge(received);
    if (QTreeWidgetItem *item = FileListView->topLevelItem(m_index))
        item->setText(DownloadsColumn, QString::asprintf("%lld KB", received / 1024));
}

void TMainForm::SetGauge(qint64 value)
{
    PB_Whole->setValue(int(std::min<qint64>(value / m_gaugeScale, PB_Whole->maximum())));
}

void TMainForm::IdHTTP1WorkEnd(THttpDownload::Result result)
{
    m_out.close();
    if (m_asking) {
        m_deferred = result;
        return;
    }
    AfterDownload(result);
}

void TMainForm::AfterDownload(THttpDownload::Result result)
{
    if (!m_running)
        return;
    switch (result) {
    case THttpDownload::Result::Done:
        DownloadNext();
        return;
    case THttpDownload::Result::Cancelled:
        DiscardRun();
        return;
    case THttpDownload::Result::Failed:
        FailRun(tr("Can not download \"%1\": %2\nNothing was updated; every file is as it was.")
                    .arg(m_rows[m_index].url, IdHTTP1->errorString()));
        return;
    }
}

void TMainForm::InstallAll()
{
    QList<TFileInstaller::Item> items;
    for (const Row &row : m_rows)
        items.append({row.downloaded, m_folder + row.name});
    TFileInstaller installer;
    switch (installer.Install(items)) {
    case TFileInstaller::Outcome::BackupFailed:
        FailRun(QStringLiteral("Unable to create backup file."));
        return;
    case TFileInstaller::Outcome::MoveFailed:
        FailRun(tr("Can not put the new \"%1\" in place. Every file was put back as it was.")
                    .arg(installer.FailedTarget()));
        return;
    case TFileInstaller::Outcome::Installed:
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
    QMessageBox done(QMessageBox::Information, QStringLiteral("Mirelle"),
                     QStringLiteral("Congratulations. Your copy is completely updated.\n\n"
                                    "Would you like to launch it now?"),
                     QMessageBox::Ok, this);
    done.exec();
    const QString program = m_folder + QLatin1String(ProductInfo::MainProgram);
    if (!m_launch(program))
        QMessageBox::critical(this, ApplicationTitle, tr("Can not start \"%1\".").arg(program));
    close();
}

void TMainForm::DiscardRun()
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

void TMainForm::FailRun(const QString &text)
{
    DiscardRun();
    QMessageBox::critical(this, ApplicationTitle, text);
}
