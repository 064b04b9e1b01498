#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

// Started with "--instance FOLDER TIMEOUT" this test program is one start of a program from
// FOLDER: it prints "handed-over" and ends, or prints "listening" and then "received"
// for every start handed over to it, until it is terminated.
static int RunInstance(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    QObject::connect(&instance, &SingleInstance::HandOverReceived, [] {
        std::puts("received");
        std::fflush(stdout);
    });
    const SingleInstance::Outcome outcome = instance.Start(QByteArray(argv[3]).toInt());
    if (outcome == SingleInstance::Outcome::HandedOver) {
        std::puts("handed-over");
        return 0;
    }
    std::puts(outcome == SingleInstance::Outcome::Listening ? "listening" : "alone");
    std::fflush(stdout);
    return app.exec();
}

class tst_SingleInstance : public QObject {
    Q_OBJECT

    // One start of the program from folder; waits for its first line.
    QProcess *Start(const QString &folder, int timeoutMs = 5000)
    {
        auto *p = new QProcess(this);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--instance"), folder, QString::number(timeoutMs)});
        m_started << p;
        return p;
    }

    static QByteArray FirstLine(QProcess *p)
    {
        while (!p->canReadLine())
            if (!p->waitForReadyRead(30000))
                return {};
        return p->readLine().trimmed();
    }

private Q_SLOTS:
    void cleanup()
    {
        for (QProcess *p : std::as_const(m_started)) {
            ::kill(pid_t(p->processId()), SIGCONT);
            p->kill();
            p->waitForFinished();
            delete p;
        }
        m_started.clear();
    }

    void secondStartHandsOver()
    {
        QTemporaryDir folder;
        QProcess *first = Start(folder.path());
        QCOMPARE(FirstLine(first), QByteArray("listening"));

        // The same folder by another spelling is the same program.
        QProcess *second = Start(folder.path() + QStringLiteral("/./"));
        QCOMPARE(FirstLine(second), QByteArray("handed-over"));
        QVERIFY(second->waitForFinished());
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(FirstLine(first), QByteArray("received"));

        QProcess *third = Start(folder.path());
        QCOMPARE(FirstLine(third), QByteArray("handed-over"));
        QCOMPARE(FirstLine(first), QByteArray("received"));
    }

    void simultaneousStartsMakeOneInstance()
    {
        QTemporaryDir folder;
        const QList<QProcess *> starts{Start(folder.path()), Start(folder.path()), Start(folder.path())};
        QList<QByteArray> outcomes;
        for (QProcess *p : starts)
            outcomes << FirstLine(p);
        QCOMPARE(outcomes.count("listening"), 1);
        QCOMPARE(outcomes.count("handed-over"), 2);
    }

    void otherFolderIsAnotherProgram()
    {
        QTemporaryDir a, b;
        QCOMPARE(FirstLine(Start(a.path())), QByteArray("listening"));
        QCOMPARE(FirstLine(Start(b.path())), QByteArray("listening"));
    }

    void crashedInstanceIsReplaced()
    {
        QTemporaryDir folder;
        QProcess *first = Start(folder.path());
        QCOMPARE(FirstLine(first), QByteArray("listening"));
        first->kill();  // leaves its socket behind
        first->waitForFinished();
        QProcess *second = Start(folder.path());
        QCOMPARE(FirstLine(second), QByteArray("listening"));
        QCOMPARE(FirstLine(Start(folder.path())), QByteArray("handed-over"));
        QCOMPARE(FirstLine(second), QByteArray("received"));
    }

    void hungInstanceDoesNotStopAStart()
    {
        QTemporaryDir folder;
        QProcess *first = Start(folder.path());
        QCOMPARE(FirstLine(first), QByteArray("listening"));
        QCOMPARE(::kill(pid_t(first->processId()), SIGSTOP), 0);
        QProcess *second = Start(folder.path(), 300);
        QCOMPARE(FirstLine(second), QByteArray("listening"));
        // Later starts reach the one that answers.
        QCOMPARE(FirstLine(Start(folder.path())), QByteArray("handed-over"));
        QCOMPARE(FirstLine(second), QByteArray("received"));
    }

private:
    QList<QProcess *> m_started;
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--instance") == 0)
        return RunInstance(argc, argv);
    QCoreApplication app(argc, argv);
    tst_SingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
