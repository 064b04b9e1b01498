#include "platform/FtpSession.h"
#include "tests/support/FtpServerFixture.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <atomic>
#include <dlfcn.h>
#include <poll.h>

// One FTP login on a real server: what its connection costs. A listing must cost what its
// round trips cost, so no wait may run out its time; nothing is timed against a clock.
namespace {

std::atomic<int> expiredWaits{0};

}  // namespace

// Every poll() of the process, libcurl's included, passes here: a wait that runs out its time
// while a server on loopback answers at once is a wait on nothing.
extern "C" int poll(struct pollfd *fds, nfds_t count, int timeout)
{
    using Poll = int (*)(struct pollfd *, nfds_t, int);
    static const Poll real = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "poll"));
    const int ready = real(fds, count, timeout);
    if (ready == 0 && timeout >= 100)
        ++expiredWaits;
    return ready;
}

class TestFtpSession : public QObject {
    Q_OBJECT

    FtpServerFixture m_server;

    FtpSession::Endpoint endpoint() const
    {
        return {QStringLiteral("127.0.0.1"), m_server.port(), m_server.user(), m_server.password(), false, {}};
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString &folder : {QStringLiteral("pub/a"), QStringLiteral("pub/b")}) {
            QVERIFY(QDir(m_server.root()).mkpath(folder));
            for (int i = 0; i < 3; ++i) {
                QFile f(m_server.root() + QLatin1Char('/') + folder + QStringLiteral("/f%1.txt").arg(i));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("content");
            }
        }
        QVERIFY(m_server.start());
    }

    // Fails when a listing waits on something other than the server: libcurl's easy interface
    // sat out a whole second after a quick EPSV reply on a fifth to a half of the listings.
    void listingsNeverWaitOnNothing()
    {
        FtpSession session;
        QCOMPARE(session.Open(endpoint()), 0);
        const long port = session.LocalPort();
        constexpr int Rounds = 100;
        // Listings back to back, as a walk of a tree sends them: another command in between
        // changes what libcurl sends before EPSV.
        expiredWaits = 0;
        for (int i = 0; i < Rounds; ++i) {
            QList<FtpEntry> entries;
            QVERIFY(session.List(i % 2 ? QStringLiteral("/pub/a/") : QStringLiteral("/pub/b/"), entries));
            QCOMPARE(entries.size(), 3);
        }
        QCOMPARE(expiredWaits.load(), 0);
        // All on one control connection: a log-in per listing would cost round trips too.
        QCOMPARE(session.LocalPort(), port);
    }
};

QTEST_GUILESS_MAIN(TestFtpSession)
#include "tst_ftpsession.moc"
