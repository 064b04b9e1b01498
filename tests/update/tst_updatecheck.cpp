#include "tests/support/HttpServerFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSettings.h"
#include "update/UpdateCheck.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString Offer(const QString &version)
{
    return QStringLiteral("Corvane %1 is available. Would you like to update now?").arg(version);
}
QString UpToDate(const QString &installed)
{
    return QStringLiteral("Corvane is up to date (version %1).").arg(installed);
}
const QString CheckFailed = QStringLiteral("Corvane could not check for a new version: ");

QByteArray IniWithVersion(const QString &ver)
{
    QByteArray text = "[Version]\r\n";
    if (!ver.isNull())
        text += "Ver=" + ver.toUtf8() + "\r\n";
    return text + "[HTTP]\r\nFile1=http://example.invalid/update/Corvane/Corvane\r\n";
}

}  // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.start()); }

    void init()
    {
        m_config = std::make_unique<TempConfigHome>();
        m_folder = std::make_unique<QTemporaryDir>();
        m_launched.clear();
        m_quits = 0;
        m_server.clearRules();
        QVERIFY(TestSettings::WriteString(QStringLiteral("UpdateURL"), m_server.url(QStringLiteral("/update/Corvane/"))));
        m_updateCheck = std::make_unique<UpdateCheck>(m_folder->path(),
                                                      UpdateCheck::Hooks{[this](const QString &p) {
                                                    m_launched << p;
                                                    return m_launchWorks;
                                                },
                                                [this] { ++m_quits; }});
        m_launchWorks = true;
    }

    void cleanup()
    {
        m_updateCheck.reset();
        m_folder.reset();
        m_config.reset();
    }

    // Published against installed; the offer appears in both modes, "no updates" only when
    // the user asked.
    void comparesVersions_data()
    {
        QTest::addColumn<QString>("published");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("interactive");
        QTest::addColumn<QString>("boxes");  // the one box shown: "offer", "none"; empty: no box
        const QString offer = QStringLiteral("offer"), none = QStringLiteral("none"), nothing;
        QTest::newRow("newer") << "3.1.136" << "3.1.135" << true << offer;
        QTest::newRow("newer, silent") << "3.1.136" << "3.1.135" << false << offer;
        QTest::newRow("equal") << "3.1.135" << "3.1.135" << true << none;
        QTest::newRow("equal, silent") << "3.1.135" << "3.1.135" << false << nothing;
        QTest::newRow("older by number, later by letters") << "3.1.99" << "3.1.135" << true << none;
        QTest::newRow("newer by number, earlier by letters") << "3.1.1000" << "3.1.135" << true << offer;
        QTest::newRow("next major") << "4" << "3.1.135" << true << offer;
        QTest::newRow("older major") << "2.99.999" << "3.1.135" << true << none;
        // Versions of different lengths: the missing components count as 0.
        QTest::newRow("one more component") << "3.1.135.1" << "3.1.135" << true << offer;
        QTest::newRow("one more component, silent") << "3.1.135.1" << "3.1.135" << false << offer;
        QTest::newRow("one component fewer") << "3.1.135" << "3.1.135.1" << true << none;
        QTest::newRow("shorter, newer") << "3.2" << "3.1.135" << true << offer;
        QTest::newRow("longer, older") << "3.1.134.9" << "3.1.135" << true << none;
        QTest::newRow("trailing zero") << "3.1.135.0" << "3.1.135" << true << none;
        QTest::newRow("installed has a trailing zero") << "3.1.135" << "3.1.135.0" << true << none;
        QTest::newRow("leading zeros") << "3.01.0135" << "3.1.135" << true << none;
        QTest::newRow("longer number with leading zeros") << "3.1.0136" << "3.1.135" << true << offer;
        QTest::newRow("not a version") << "latest" << "3.1.135" << true << none;
        QTest::newRow("trailing dot") << "3.1.136." << "3.1.135" << true << none;
        QTest::newRow("no Ver") << QString() << "3.1.135" << true << none;
        QTest::newRow("installed missing") << "3.1.136" << QString() << true << offer;
        QTest::newRow("installed missing, same") << "3.1.135" << QString() << true << none;
    }

    void comparesVersions()
    {
        QFETCH(QString, published);
        QFETCH(QString, installed);
        QFETCH(bool, interactive);
        QFETCH(QString, boxes);
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"), IniWithVersion(published)));
        if (installed.isNull())
            QVERIFY(TestSettings::Remove(QStringLiteral("Version")));
        else
            QVERIFY(TestSettings::WriteString(QStringLiteral("Version"), installed));

        MessageBoxAnswerer answerer(QMessageBox::No);
        QVERIFY(RunCheck(interactive));
        const QString shown = boxes == QLatin1String("offer")  ? Offer(published)
                              : boxes == QLatin1String("none") ? UpToDate(installed.isNull() ? "3.1.135" : installed)
                                                               : QString();
        QCOMPARE(answerer.texts(), shown.isEmpty() ? QStringList{} : QStringList{shown});
        for (const MessageBoxAnswerer::Box &box : answerer.seen) {
            QCOMPARE(box.caption, QStringLiteral("Corvane"));
            QCOMPARE(box.icon, QMessageBox::Information);
            QCOMPARE(box.buttons, boxes == QLatin1String("offer") ? QMessageBox::Yes | QMessageBox::No
                                                                  : QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QVERIFY(m_launched.isEmpty());
        QCOMPARE(m_quits, 0);
        QCOMPARE(TestSettings::ReadString(QStringLiteral("Version")),
                 std::optional<QString>(installed.isNull() ? "3.1.135" : installed));
    }

    void acceptedOfferStartsTheUpdater_data()
    {
        QTest::addColumn<bool>("launchWorks");
        QTest::newRow("updater starts") << true;
        QTest::newRow("updater missing") << false;
    }

    void acceptedOfferStartsTheUpdater()
    {
        QFETCH(bool, launchWorks);
        m_launchWorks = launchWorks;
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"), IniWithVersion("3.1.136")));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        QVERIFY(RunCheck(false));
        QCOMPARE(m_launched, QStringList{m_folder->filePath(QStringLiteral("Update"))});
        // The application ends only when the updater really runs; otherwise the user hears why.
        QCOMPARE(m_quits, launchWorks ? 1 : 0);
        QCOMPARE(answerer.seen.size(), launchWorks ? 1 : 2);
        if (!launchWorks)
            QVERIFY(answerer.seen.last().text.contains(m_folder->filePath(QStringLiteral("Update"))));
        // The updater reads the description from the program folder.
        QCOMPARE(TestFiles::Read(m_folder->filePath(QStringLiteral("Update.ini"))), IniWithVersion("3.1.136"));
    }

    // A failed download keeps the previous description and says so only when asked.
    void failedDownload_data()
    {
        QTest::addColumn<int>("status");  // 0: nothing listens
        QTest::addColumn<bool>("interactive");
        QTest::addColumn<QString>("reason");  // what the message names after CheckFailed
        QTest::newRow("not found") << 404 << true << "Not Found";
        QTest::newRow("server error") << 500 << true << "Internal Server Error";
        QTest::newRow("server error, silent") << 500 << false << QString();
        QTest::newRow("unreachable") << 0 << true << "Connection refused";
        QTest::newRow("unreachable, silent") << 0 << false << QString();
        QTest::newRow("stalled") << -1 << true << "no reply from 127.0.0.1 within 1 s";
    }

    void failedDownload()
    {
        QFETCH(int, status);
        QFETCH(bool, interactive);
        QFETCH(QString, reason);
        const QByteArray previous = IniWithVersion("3.1.140") + QByteArray(4000, ';');
        const QString old = m_folder->filePath(QStringLiteral("Update.ini"));
        QVERIFY(TestFiles::Write(old, previous));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"), IniWithVersion("3.1.136")));

        HttpServerFixture deadServer;
        if (status == 0) {
            QVERIFY(deadServer.start());
            const QString deadUrl = deadServer.url(QStringLiteral("/update/Corvane/"));
            deadServer.stop();
            QVERIFY(TestSettings::WriteString(QStringLiteral("UpdateURL"), deadUrl));
        } else if (status < 0) {
            // The server sends a first part and then nothing: the description must be longer.
            QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"), IniWithVersion("3.1.136") + QByteArray(4000, ';')));
            m_server.stall(QStringLiteral("/update/Corvane/Update.ini"));
            m_updateCheck->setReadTimeout(1000);
        } else {
            m_server.fail(QStringLiteral("/update/Corvane/Update.ini"), status);
        }

        MessageBoxAnswerer answerer(QMessageBox::Yes);
        QVERIFY(RunCheck(interactive));
        QCOMPARE(answerer.seen.size(), interactive ? 1 : 0);
        if (interactive) {
            const QString text = answerer.seen.first().text;
            QVERIFY2(text.startsWith(CheckFailed) && text.contains(reason), qPrintable(text));
        }
        QCOMPARE(TestFiles::Read(old), previous);
        QVERIFY(m_launched.isEmpty());
    }

    void newDescriptionReplacesALongerOne()
    {
        const QByteArray fresh = IniWithVersion("3.1.135");
        const QString old = m_folder->filePath(QStringLiteral("Update.ini"));
        QVERIFY(TestFiles::Write(old, QByteArray(10000, 'x')));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"), fresh));
        MessageBoxAnswerer answerer;
        QVERIFY(RunCheck(false));
        QCOMPARE(TestFiles::Read(old), fresh);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{QStringLiteral("Update.ini")});
    }

    void withoutAddressNothingIsAsked_data()
    {
        QTest::addColumn<bool>("interactive");
        QTest::newRow("silent") << false;
        QTest::newRow("interactive") << true;
    }

    void withoutAddressNothingIsAsked()
    {
        QFETCH(bool, interactive);
        QVERIFY(TestSettings::WriteString(QStringLiteral("UpdateURL"), QString()));
        MessageBoxAnswerer answerer;
        QVERIFY(RunCheck(interactive));
        QCOMPARE(answerer.seen.size(), interactive ? 1 : 0);
        if (interactive)
            QVERIFY(answerer.seen.first().text.contains(QStringLiteral("UpdateURL")));
        QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("Update.ini"))));
    }

private:
    bool RunCheck(bool interactive)
    {
        QSignalSpy done(m_updateCheck.get(), &UpdateCheck::checkFinished);
        m_updateCheck->CheckForUpdate(interactive);
        return done.count() == 1 || done.wait(20000);
    }

    HttpServerFixture m_server;
    std::unique_ptr<TempConfigHome> m_config;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    QStringList m_launched;
    bool m_launchWorks = true;
    int m_quits = 0;
};

WIDGET_TEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
