#include "startup/CorvaneProgram.h"

#include "app/ProductInfo.h"
#include "platform/FtpSessionPool.h"
#include "ui/config/OptionsDialog.h"
#include "ui/workspace/JobEditorCommands.h"
#include "ui/workspace/JobPage.h"
#include "ui/workspace/MainWindow.h"
#include "update/UpdateCheck.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>

namespace {
constexpr int MaxNestedDialogs = 16;
}

namespace {

QByteArray FileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return hash.result();
}

}  // namespace

CorvaneProgram::CorvaneProgram(const QString &programFolder) : m_programFolder(programFolder) {}

// The window goes first: it writes the job list, which must still exist.
CorvaneProgram::~CorvaneProgram() { m_window.reset(); }

QString CorvaneProgram::TaskListPath() const
{
    return m_programFolder + QStringLiteral("tasklist.tkl");
}

void CorvaneProgram::CreateUpdateCheck()
{
    // Once the updater runs, the window closes as its close box does, so the jobs are saved.
    m_updateCheck = std::make_unique<UpdateCheck>(m_programFolder, UpdateCheck::Hooks{StartProgram, [this] {
                                     if (m_window)
                                         QMetaObject::invokeMethod(m_window.get(), &QWidget::close,
                                                                   Qt::QueuedConnection);
                                 }});
}

bool CorvaneProgram::Start()
{
    LoadSettings(m_settings);
    FtpSessionPool::Global().SetConnections(m_settings.FtpConnections);
    QGuiApplication::setApplicationDisplayName(QLatin1String(ProductInfo::Name));
    CreateUpdateCheck();

    const JobList::LoadResult loaded = m_jobs.LoadTaskList(TaskListPath());
    if (loaded == JobList::LoadResult::PartlyRead || loaded == JobList::LoadResult::Unreadable)
        KeepUnreadJobs(loaded);

    JobPageFactory pages = [this](QWidget *parent) -> AbstractJobPage * {
        auto *page = new JobPage(m_jobs, m_power, parent);
        page->SetProgramFolder(m_programFolder);
        return page;
    };
    m_window = std::make_unique<MainWindow>(m_jobs, m_settings, m_programFolder, std::move(pages));
    m_window->SetSaveAtClose(!m_keepingFailed);
    UseJobEditor(*m_window, m_jobs);
    m_window->SetOptionsDialog([this](QWidget *parent) {
        OptionsDialog options(parent, m_settings, [this] { m_updateCheck->CheckForUpdate(true); });
        options.ShowModal();
    });
    // Logging out or shutting down closes the window as its close box does, so the jobs are saved.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_window.get(), [this](QSessionManager &) {
        m_window->close();
    });
    QObject::connect(m_window.get(), &QDialog::finished, qApp, &QCoreApplication::quit);
    m_updateCheck->setDialogParent(m_window.get());
    m_window->SetUpdateCheck([this](QWidget *) { m_updateCheck->CheckForUpdate(true); });
    m_window->show();

    if (m_keepingFailed) {
        QMessageBox::warning(m_window.get(), QLatin1String(ProductInfo::Name),
                             QObject::tr("Not every job of %1 could be read, and the file could not be kept "
                                         "aside. It will not be saved over when %2 closes, so the jobs in it are "
                                         "not lost; changes to the jobs made now will not be saved.")
                                 .arg(TaskListPath(), QLatin1String(ProductInfo::Name)));
    } else if (!m_keptUnreadAs.isEmpty()) {
        QMessageBox::warning(m_window.get(), QLatin1String(ProductInfo::Name),
                             QObject::tr("Not every job of %1 could be read. The file as it was is kept as %2; "
                                         "the jobs that could be read are shown.")
                                 .arg(TaskListPath(), m_keptUnreadAs));
    }
    // Asked once the window is there; the offer shows when the answer arrives.
    if (m_settings.CheckUpdate)
        QTimer::singleShot(0, m_updateCheck.get(), [this] { m_updateCheck->CheckForUpdate(false); });
    return true;
}

void CorvaneProgram::Terminate()
{
    // Innermost first; a dialog that refuses to go would otherwise be asked for ever.
    for (int i = 0; i < MaxNestedDialogs; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_window.get())
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
    if (m_window)
        m_window->close();
    else
        QCoreApplication::quit();
}

void CorvaneProgram::KeepUnreadJobs(JobList::LoadResult result)
{
    const QString path = TaskListPath();
    const QByteArray hash = FileHash(path);
    // An earlier copy of other content is never replaced.
    QString keep = path + QStringLiteral(".bak");
    for (int n = 2; QFile::exists(keep) && FileHash(keep) != hash; ++n)
        keep = path + QStringLiteral(".%1.bak").arg(n);
    if (!QFile::exists(keep) && !QFile::copy(path, keep)) {
        m_keepingFailed = true;
        return;
    }
    m_keptUnreadAs = keep;
    // A file that is no task list at all would make every save refuse; it is kept aside now.
    if (result == JobList::LoadResult::Unreadable)
        QFile::remove(path);
}

int CorvaneProgram::Run()
{
    if (!Start())
        return 0;
    // A session that ended while the start-up message was open has closed the window already.
    if (!m_window->isVisible())
        return 0;
    return QApplication::exec();
}
