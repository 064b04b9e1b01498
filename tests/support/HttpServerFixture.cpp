#include "tests/support/HttpServerFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

HttpServerFixture::HttpServerFixture()
{
    clearRules();
}

bool HttpServerFixture::start()
{
    if (!m_root.isValid() || !m_control.isValid())
        return false;
    m_port = m_server.start(QStringLiteral("httpserver.py"),
                            {QStringLiteral("--root"), root(), QStringLiteral("--rules"),
                             m_control.filePath(QStringLiteral("rules.json"))});
    return m_port > 0;
}

bool HttpServerFixture::put(const QString &path, const QByteArray &content)
{
    const QString file = QDir(root()).filePath(path.startsWith(QLatin1Char('/')) ? path.mid(1) : path);
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() && out.commit();
}

void HttpServerFixture::fail(const QString &path, int status)
{
    setRule(path, {{QStringLiteral("status"), status}});
}

void HttpServerFixture::stall(const QString &path)
{
    setRule(path, {{QStringLiteral("stall"), true}});
}

void HttpServerFixture::throttle(const QString &path, int bytesPerSecond)
{
    setRule(path, {{QStringLiteral("rate"), bytesPerSecond}});
}

void HttpServerFixture::clearRules()
{
    m_rules = {};
    setRule({}, {});
}

void HttpServerFixture::setRule(const QString &path, const QJsonObject &rule)
{
    if (!path.isEmpty())
        m_rules.insert(path, rule);
    // Replaced whole, so the server never reads half a file.
    QSaveFile out(m_control.filePath(QStringLiteral("rules.json")));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QJsonDocument(m_rules).toJson());
        out.commit();
    }
}

QString HttpServerFixture::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + path;
}
