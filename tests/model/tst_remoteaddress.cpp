#include "model/RemoteAddress.h"

#include <QtTest>

// Stored right-side addresses read as the transport, server and folder they name.
class TestRemoteAddress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("hostPort");
        QTest::newRow("stored FTP job") << "ftp://host/pub" << "ftp" << "host" << 21 << "/pub" << "host:21";
        QTest::newRow("FTP over TLS, default port") << "ftps://host/pub" << "ftps" << "host" << 21 << "/pub" << "host:21";
        QTest::newRow("FTP over TLS, port") << "ftps://host:2990" << "ftps" << "host" << 2990 << "" << "host:2990";
        QTest::newRow("SFTP, default port") << "sftp://h/home/me" << "sftp" << "h" << 22 << "/home/me" << "h:22";
        QTest::newRow("SFTP, IPv6 and port") << "sftp://[::1]:2222/srv" << "sftp" << "::1" << 2222 << "/srv" << "[::1]:2222";
        QTest::newRow("scheme in capitals") << "SFTP://h/x" << "sftp" << "h" << 22 << "/x" << "h:22";
        QTest::newRow("no scheme reads as FTP") << "host:2121/pub" << "ftp" << "host" << 2121 << "/pub" << "host:2121";
    }
    void parse()
    {
        QFETCH(QString, url);
        const RemoteAddress a = RemoteAddress::Parse(url);
        QTEST(RemoteAddress::SchemeName(a.scheme), "scheme");
        QTEST(a.host, "host");
        QTEST(a.port, "port");
        QTEST(a.path, "path");
        QTEST(a.HostPort(), "hostPort");
    }

    void normalizeKeepsOrGivesTheScheme_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("fallback");
        QTest::addColumn<QString>("stored");
        QTest::newRow("no scheme, FTP side") << " host/pub/ " << int(RemoteAddress::Scheme::Ftp) << "ftp://host/pub";
        QTest::newRow("no scheme, SFTP side") << "host/home/me/" << int(RemoteAddress::Scheme::Sftp) << "sftp://host/home/me";
        QTest::newRow("typed scheme wins") << "ftps://host" << int(RemoteAddress::Scheme::Sftp) << "ftps://host";
    }
    void normalizeKeepsOrGivesTheScheme()
    {
        QFETCH(QString, typed);
        QFETCH(int, fallback);
        QTEST(RemoteAddress::Normalize(typed, RemoteAddress::Scheme(fallback)), "stored");
    }
};

QTEST_GUILESS_MAIN(TestRemoteAddress)
#include "tst_remoteaddress.moc"
