#include "model/RemoteAddress.h"

#include <array>
#include <utility>

namespace {

using Scheme = RemoteAddress::Scheme;

constexpr std::array<std::pair<Scheme, const char *>, 3> Schemes{
    {{Scheme::Ftps, "ftps://"}, {Scheme::Sftp, "sftp://"}, {Scheme::Ftp, "ftp://"}}};

// The scheme of url and the length of its prefix; FTP and 0 when it has none we know.
std::pair<Scheme, qsizetype> schemeOf(const QString &url)
{
    for (const auto &[scheme, prefix] : Schemes)
        if (url.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return {scheme, qsizetype(qstrlen(prefix))};
    return {Scheme::Ftp, 0};
}

}  // namespace

QString RemoteAddress::SchemeName(Scheme scheme)
{
    switch (scheme) {
    case Scheme::Ftps:
        return QStringLiteral("ftps");
    case Scheme::Sftp:
        return QStringLiteral("sftp");
    case Scheme::Ftp:
        break;
    }
    return QStringLiteral("ftp");
}

int RemoteAddress::DefaultPort(Scheme scheme) { return scheme == Scheme::Sftp ? 22 : 21; }

bool RemoteAddress::HasRemoteScheme(const QString &url) { return schemeOf(url).second > 0; }

QString RemoteAddress::Normalize(const QString &typed, Scheme fallback)
{
    // Trimmed first, so blanks around a typed address cannot end up inside the URL.
    QString url = typed.trimmed();
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    // People type the scheme in any case, or leave it out ("host", "host:2121/pub").
    const auto [scheme, length] = schemeOf(url);
    return SchemeName(length ? scheme : fallback) + QStringLiteral("://") + url.mid(length);
}

QString RemoteAddress::Authority(const QString &url)
{
    const QString rest = url.mid(schemeOf(url).second);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    return slash < 0 ? rest : rest.left(slash);
}

QString RemoteAddress::BasePath(const QString &url)
{
    // Whatever follows the host; a search for the host text could match inside the scheme.
    return url.mid(schemeOf(url).second + Authority(url).size());
}

RemoteAddress RemoteAddress::Parse(const QString &url)
{
    RemoteAddress a;
    a.scheme = schemeOf(url).first;
    a.port = DefaultPort(a.scheme);
    a.path = BasePath(url);
    QString host = Authority(url);
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    const qsizetype bracket = host.lastIndexOf(QLatin1Char(']'));
    if (colon > bracket) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok) {
            a.port = port;
            host.truncate(colon);
        }
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    a.host = host;
    return a;
}

QString RemoteAddress::HostPort() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}
