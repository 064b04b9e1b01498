#include "platform/RunAtLogon.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestRunAtLogon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pathsRoundTrip_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << QStringLiteral("/opt/corvane/Corvane");
        QTest::newRow("blanks") << QStringLiteral("/home/a b/My Programs/Corvane");
        QTest::newRow("reserved characters") << QStringLiteral("/opt/\"q\" `x` $HOME \\ 100%/Corvane");
        QTest::newRow("line break and tab") << QStringLiteral("/opt/a\nb\tc/Corvane");
        QTest::newRow("non-ASCII") << QStringLiteral("/home/jürgen/東京/Corvane");
    }

    void pathsRoundTrip()
    {
        QFETCH(QString, program);
        TempConfigHome home;
        QCOMPARE(RunAtLogon::Read(), std::nullopt);  // no autostart folder yet
        QVERIFY(RunAtLogon::Write(program));
        QCOMPARE(RunAtLogon::EntryPath(), home.path() + QStringLiteral("/autostart/Corvane.desktop"));
        QCOMPARE(RunAtLogon::Read(), std::optional<QString>(program));

        QFile f(RunAtLogon::EntryPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QCOMPARE(text.count('\n'), 5);  // a line break in the path stays escaped

        QVERIFY(RunAtLogon::Remove());
        QCOMPARE(RunAtLogon::Read(), std::optional<QString>(QString()));
        QVERIFY(RunAtLogon::Remove());  // nothing there is not an error
    }

    void foreignEntriesReadAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("program");
        QTest::newRow("unquoted with an argument") << QByteArray("[Desktop Entry]\nExec=/opt/Corvane -x\n")
                                                   << QStringLiteral("/opt/Corvane");
        QTest::newRow("quoted, other case") << QByteArray("[Desktop Entry]\nExec=\"/OPT/corvane\"\n")
                                            << QStringLiteral("/OPT/corvane");
        QTest::newRow("hidden by the desktop") << QByteArray("[Desktop Entry]\nExec=/opt/Corvane\nHidden=true\n")
                                               << QString();
        QTest::newRow("Exec of another group") << QByteArray("[Desktop Action x]\nExec=/opt/Corvane\n") << QString();
    }

    void foreignEntriesReadAsTheyAre()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QString, program);
        TempConfigHome home;
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("autostart"))));
        QFile f(RunAtLogon::EntryPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entry);
        f.close();
        QCOMPARE(RunAtLogon::Read(), std::optional<QString>(program));
    }
};

QTEST_GUILESS_MAIN(TestRunAtLogon)
#include "tst_runatlogon.moc"
