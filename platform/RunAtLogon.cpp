#include "platform/RunAtLogon.h"

#include "platform/ConfigHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString Group = QStringLiteral("[Desktop Entry]");

// Escapes of a desktop entry's string values, applied on top of Exec's own quoting.
QString StringEscape(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

QString StringUnescape(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text.at(++i);
        switch (n.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        default: out += n;  // "\\" and anything unknown
        }
    }
    return out;
}

}  // namespace

QString RunAtLogon::EntryPath()
{
    return ConfigHomeFolder() + QStringLiteral("/autostart/Corvane.desktop");
}

QString RunAtLogon::ExecValue(const QString &program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');  // not a field code
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return StringEscape(quoted);
}

QString RunAtLogon::ProgramOfExec(const QString &value)
{
    const QString line = StringUnescape(value).trimmed();
    QString program;
    if (line.startsWith(QLatin1Char('"'))) {
        for (qsizetype i = 1; i < line.size(); ++i) {
            QChar c = line.at(i);
            if (c == QLatin1Char('"'))
                break;
            if (c == QLatin1Char('\\') && i + 1 < line.size())
                c = line.at(++i);
            else if (c == QLatin1Char('%') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('%'))
                ++i;
            program += c;
        }
        return program;
    }
    program = line.section(QLatin1Char(' '), 0, 0);
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return program;
}

std::optional<QString> RunAtLogon::Read()
{
    const QFileInfo folder(QFileInfo(EntryPath()).absolutePath());
    if (!folder.isDir() || !folder.isReadable())
        return std::nullopt;
    QFile f(EntryPath());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inGroup = false;
    QString exec;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == Group;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = value;
        else if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return QString();
    }
    return ProgramOfExec(exec);
}

bool RunAtLogon::Write(const QString &program)
{
    if (!QDir().mkpath(QFileInfo(EntryPath()).absolutePath()))
        return false;
    const QString text = Group + QStringLiteral("\nType=Application\nName=Corvane\nExec=") + ExecValue(program)
        + QStringLiteral("\nTerminal=false\n");
    QSaveFile f(EntryPath());
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) >= 0 && f.commit();
}

bool RunAtLogon::Remove()
{
    return !QFileInfo::exists(EntryPath()) || QFile::remove(EntryPath());
}
