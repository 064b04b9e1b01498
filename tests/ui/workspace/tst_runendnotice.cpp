// Runs on a session bus of its own (dbus-run-session), where the test owns the notification service.
#include "app/Settings.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/MainWindowUnderTest.h"
#include "tests/support/ModalGuard.h"

#include <QDBusConnection>
#include <QtTest>

#include <memory>

namespace {

constexpr int Wait = 30000;
constexpr int64_t Old = 1500000000;

// What a desktop's notification server is to the program: the owner of
// org.freedesktop.Notifications, on a connection of its own.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotificationServer() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notifications")) {}
    ~NotificationServer() override
    {
        m_bus.unregisterService("org.freedesktop.Notifications");
        m_bus.unregisterObject("/org/freedesktop/Notifications");
        QDBusConnection::disconnectFromBus("notifications");
    }
    bool Start()
    {
        return m_bus.registerObject("/org/freedesktop/Notifications", this,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
               && m_bus.registerService("org.freedesktop.Notifications");
    }

    QStringList Summaries;
    QStringList Actions;

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        Q_UNUSED(appName); Q_UNUSED(replacesId); Q_UNUSED(icon); Q_UNUSED(body); Q_UNUSED(hints); Q_UNUSED(timeout);
        Summaries << summary;
        Actions = actions;
        return uint(Summaries.size()) + 100;
    }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
};

// What a dock or panel that follows the Unity launcher API hears of the program.
class LauncherListener : public QObject {
    Q_OBJECT

public:
    LauncherListener() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "launcher")) {}
    ~LauncherListener() override { QDBusConnection::disconnectFromBus("launcher"); }
    bool Start()
    {
        return m_bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", this,
                             SLOT(Update(QString, QVariantMap)));
    }

    QStringList AppUris;
    QList<QVariantMap> Updates;

public Q_SLOTS:
    void Update(const QString &appUri, const QVariantMap &properties)
    {
        AppUris << appUri;
        Updates << properties;
    }

private:
    QDBusConnection m_bus;
};

}  // namespace

// Runs that start by themselves while the window is minimised end with a desktop notification,
// as the options choose; clicking it shows the job's page.
class TestRunEndNotice : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowUnderTest> m_ui;
    std::unique_ptr<FtpServerFixture> m_server;
    std::unique_ptr<NotificationServer> m_notifications;

    QString Left(const QString &job, const QString &rel = {}) const
    {
        return m_ui->Path("left-" + job) + (rel.isEmpty() ? "" : "/" + rel);
    }

    // A job of the left folder and the server's /pub; started: its start-up options analyse and sync.
    Job &AddJob(const QString &name, bool started)
    {
        QDir().mkpath(Left(name));
        QDir().mkpath(m_server->root() + "/pub");
        auto job = std::make_unique<Job>();
        job->SyncName = name;
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = Left(name);
        job->RFolder = m_server->source();
        job->StartAnalyze = started ? 1 : 0;
        job->StartSync = started ? 1 : 0;
        Job &added = *job;
        m_ui->Jobs.AddJob(std::move(job));
        return added;
    }
    void Open(bool minimised)
    {
        m_ui->Make();
        if (minimised)
            m_ui->Window->showMinimized();
        else
            QVERIFY(m_ui->Show());
    }
    QList<JobPage *> Pages() const { return m_ui->Window->findChildren<JobPage *>(); }
    static QString Status(JobPage *page) { return page->findChild<QLabel *>("Label_ActionStatus")->text(); }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session"); }
    void init()
    {
        m_ui = std::make_unique<MainWindowUnderTest>();
        m_server = std::make_unique<FtpServerFixture>();
        QVERIFY(m_server->start());
        m_notifications = std::make_unique<NotificationServer>();
    }
    void cleanup()
    {
        m_ui.reset();
        m_notifications.reset();
        m_server.reset();
    }

    void runEndSaysWhatHappened_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("refused");  // the server refuses the job's login
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("service");  // a notification service runs
        QTest::addColumn<QString>("said");  // the notification's text; empty: none
        const QString done = "^Corvane: Docs to FTP synchronised, 2 files$";
        const QString failed = "^Corvane: Docs to FTP failed: 530 Authentication failed\\.$";
        QTest::newRow("synchronised") << 0 << false << true << true << done;
        QTest::newRow("login refused") << 0 << true << true << true << failed;
        QTest::newRow("failures only, refused") << 1 << true << true << true << failed;
        QTest::newRow("failures only, synchronised") << 1 << false << true << true << QString();
        QTest::newRow("off") << 2 << true << true << true << QString();
        QTest::newRow("window in sight") << 0 << true << false << true << QString();
        QTest::newRow("no notification service") << 0 << false << true << false << QString();
    }
    void runEndSaysWhatHappened()
    {
        QFETCH(int, choice);
        QFETCH(bool, refused);
        QFETCH(bool, minimised);
        QFETCH(bool, service);
        QFETCH(QString, said);
        QVERIFY(WriteRunEndNotice(RunEndNotice(choice)));
        if (service)
            QVERIFY(m_notifications->Start());
        Job &job = AddJob("Docs to FTP", true);
        if (refused)
            job.RFolder.PWD = "wrong";
        for (const char *file : {"a.txt", "d/b.txt"})
            QVERIFY(TestFiles::Write(Left("Docs to FTP", file), "left", Old));
        Open(minimised);
        QTRY_COMPARE_WITH_TIMEOUT(Pages().size(), qsizetype(1), Wait);
        JobPage *page = Pages().first();
        QTRY_VERIFY_WITH_TIMEOUT(!page->RunInProgress(), Wait);
        QCOMPARE(Status(page), refused ? QString("Analysis failed") : QString("Sync Done!"));
        if (said.isEmpty()) {
            // The call is asynchronous: give a notification that should not come time to arrive.
            QTest::qWait(500);
            QCOMPARE(m_notifications->Summaries, QStringList());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications->Summaries.size(), qsizetype(1), Wait);
        QVERIFY2(QRegularExpression(said).match(m_notifications->Summaries.first()).hasMatch(),
                 qPrintable(m_notifications->Summaries.first()));
        QVERIFY(m_notifications->Actions.contains("default"));
    }

    // The taskbar entry shows how far a sync has come and nothing once it ended.
    void taskbarFollowsTheSync()
    {
        LauncherListener launcher;
        QVERIFY(launcher.Start());
        AddJob("Docs to FTP", true);
        for (const char *file : {"a.txt", "b.txt", "c.txt", "d/e.txt"})
            QVERIFY(TestFiles::Write(Left("Docs to FTP", file), "left", Old));
        Open(false);
        QTRY_COMPARE_WITH_TIMEOUT(Pages().size(), qsizetype(1), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(Status(Pages().first()), QString("Sync Done!"), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(!launcher.Updates.isEmpty() && !launcher.Updates.last().value("progress-visible").toBool(), Wait);
        QCOMPARE(launcher.AppUris.first(), QString("application://Corvane.desktop"));
        double last = -1;
        int shown = 0;
        for (const QVariantMap &update : launcher.Updates.mid(0, launcher.Updates.size() - 1)) {
            QVERIFY(update.value("progress-visible").toBool());
            const double progress = update.value("progress").toDouble();
            QVERIFY2(progress >= 0 && progress <= 1, qPrintable(QString::number(progress)));
            ++shown;
            last = progress;
        }
        QVERIFY(shown > 0);
        QCOMPARE(last, 1.0);
    }

    // A click on the notification brings the window back with the page of the job that ran.
    void clickShowsTheJobsPage()
    {
        QVERIFY(m_notifications->Start());
        AddJob("Docs to FTP", true);
        AddJob("Photos", false);
        QVERIFY(TestFiles::Write(Left("Docs to FTP", "a.txt"), "left", Old));
        Open(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications->Summaries.size(), qsizetype(1), Wait);
        QVERIFY(m_ui->Window->isMinimized());
        QVERIFY(m_ui->Shown() != Pages().first());
        // A click on another program's notification is not ours.
        Q_EMIT m_notifications->ActionInvoked(7, "default");
        QTest::qWait(300);
        QVERIFY(m_ui->Window->isMinimized());
        Q_EMIT m_notifications->ActionInvoked(101, "default");
        QTRY_VERIFY_WITH_TIMEOUT(!m_ui->Window->isMinimized() && m_ui->Window->isVisible(), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(m_ui->Shown()->findChild<QLineEdit *>("Edit_LFolder")->text(), Left("Docs to FTP"), Wait);
    }
};

WIDGET_TEST_MAIN(TestRunEndNotice)
#include "tst_runendnotice.moc"
