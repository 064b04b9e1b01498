#pragma once
#include "tests/support/ScriptServer.h"

#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

// A real HTTP server (tests/support/httpserver.py) on 127.0.0.1 and a free port, serving
// a fresh temporary folder. Single paths can be made to fail, stall or trickle; the rules
// apply from the next request on, also while the server runs.
class HttpServerFixture {
public:
    HttpServerFixture();

    bool start();
    void stop() { m_server.stop(); }

    // Writes a file below the served folder (folders made as needed).
    bool put(const QString &path, const QByteArray &content);
    // The answer to path is this HTTP status with a short error page.
    void fail(const QString &path, int status);
    // Headers and the first 1,024 bytes, then nothing until the client goes away.
    void stall(const QString &path);
    // The body at about bytesPerSecond.
    void throttle(const QString &path, int bytesPerSecond);
    void clearRules();

    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    // "http://127.0.0.1:<port>" + path
    QString url(const QString &path = {}) const;

private:
    void setRule(const QString &path, const QJsonObject &rule);

    QTemporaryDir m_root;
    QTemporaryDir m_control;
    QJsonObject m_rules;
    ScriptServer m_server;
    int m_port = 0;
};
