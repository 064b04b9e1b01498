#include "platform/SchedulingAgent.h"

#include "platform/ConfigHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSaveFile>
#include <QTextStream>
#include <QUrl>

#include <functional>

namespace {

const QString TimerSuffix = QStringLiteral(".timer");
const QString ServiceSuffix = QStringLiteral(".service");
const QString KeyPrefix = QStringLiteral("X-Corvane-");
// systemctl answers at once or fails at once; this only guards against a hung manager.
constexpr int SystemctlTimeoutMs = 30000;

// Day number of a date, days since 1 January 1970.
qint64 DayNumber(const QDate &date)
{
    return QDate(1970, 1, 1).daysTo(date);
}

// Monday-first week number of a day number (day 0 was a Thursday).
qint64 WeekNumber(qint64 day)
{
    return (day + 3) / 7;
}

// Specifiers and environment variables are expanded in unit file values.
QString UnitEscape(QString text)
{
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return text;
}

QString ExecEscape(QString text)
{
    text.replace(QLatin1Char('$'), QStringLiteral("$$"));
    return UnitEscape(text);
}

// One word of an Exec line, quoted so that blanks, quotes and backslashes stay literal.
// Variables are expanded in the arguments but not in the program's path.
QString ExecWord(const QString &word, bool program)
{
    QString q;
    for (const QChar c : word) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            q += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) {
            q += QStringLiteral("\\n");
            continue;
        }
        q += c;
    }
    q = QLatin1Char('"') + q + QLatin1Char('"');
    return program ? UnitEscape(q) : ExecEscape(q);
}

// The manager takes no quotes, backslashes or control characters in a program's path.
bool SafeProgramPath(const QString &path)
{
    for (const QChar c : path)
        if (c < QLatin1Char(' ') || c == QChar(0x7F) || c == QLatin1Char('"') || c == QLatin1Char('\'')
            || c == QLatin1Char('\\'))
            return false;
    return true;
}

// X- keys hold exact texts; percent-encoding keeps line breaks and blanks out of the file.
QString Encode(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "/:.-_~+,@"));
}

QString Decode(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toLatin1());
}

QString Hex(uint32_t v)
{
    return QStringLiteral("0x%1").arg(v, 0, 16);
}

std::optional<uint32_t> ParseNumber(const QString &text)
{
    bool ok = false;
    const qulonglong v = text.startsWith(QLatin1String("0x")) ? text.mid(2).toULongLong(&ok, 16)
                                                                 : text.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return uint32_t(v);
}

QStringList BitNames(uint32_t mask, int count, const std::function<QString(int)> &name)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        if (mask & (1u << i))
            out << name(i);
    return out;
}

// Shell test run by ExecCondition=: exit 0 on the days of a run, 1 (skip) on the others.
QString IntervalCondition(const WorkItemTrigger &t)
{
    const qint64 begin = DayNumber(t.BeginDate);
    // Today's local date, counted in days since 1970.
    const QString today = QStringLiteral("$(date -u -d $(date +%F) +%s) / 86400");
    QString expr;
    if (t.TriggerType == WorkItemTrigger::Daily)
        expr = QStringLiteral("(%1 - %2) % %3").arg(today).arg(begin).arg(t.DaysInterval);
    else
        expr = QStringLiteral("((%1 + 3) / 7 - %2) % %3").arg(today).arg(WeekNumber(begin)).arg(t.WeeksInterval);
    return QStringLiteral("/bin/sh -c 'test $(( %1 )) -eq 0'").arg(expr);
}

bool NeedsCondition(const WorkItemTrigger &t)
{
    return (t.TriggerType == WorkItemTrigger::Daily && t.DaysInterval > 1)
        || (t.TriggerType == WorkItemTrigger::Weekly && t.WeeksInterval > 1);
}

QString ValidationError(const WorkItem &item)
{
    const WorkItemTrigger &t = item.Trigger;
    if (!QFileInfo(item.ApplicationName).isAbsolute())
        return QStringLiteral("The program path is not absolute: %1").arg(item.ApplicationName);
    if (!t.BeginDate.isValid() || t.StartHour < 0 || t.StartHour > 23 || t.StartMinute < 0 || t.StartMinute > 59)
        return QStringLiteral("The start date or time is not valid.");
    switch (t.TriggerType) {
    case WorkItemTrigger::Daily:
        if (t.DaysInterval < 1)
            return QStringLiteral("The day interval is not valid.");
        break;
    case WorkItemTrigger::Weekly:
        if (t.WeeksInterval < 1 || (t.DaysOfTheWeek & 0x7F) == 0 || (t.DaysOfTheWeek & ~0x7F))
            return QStringLiteral("The week interval or the days of the week are not valid.");
        break;
    case WorkItemTrigger::MonthlyDate:
        if ((t.DaysOfMonth & 0x7FFFFFFF) == 0 || (t.DaysOfMonth & ~0x7FFFFFFFu) || (t.Months & 0xFFF) == 0
            || (t.Months & ~0xFFF))
            return QStringLiteral("The days or months of the trigger are not valid.");
        break;
    default:
        return QStringLiteral("Unknown trigger type %1.").arg(t.TriggerType);
    }
    return {};
}

QString TimerText(const QString &name, const WorkItem &item)
{
    const WorkItemTrigger &t = item.Trigger;
    QString s;
    QTextStream out(&s);
    out << "[Unit]\n"
        << "Description=" << UnitEscape(item.Comment) << "\n"
        << KeyPrefix << "Application=" << Encode(item.ApplicationName) << "\n"
        << KeyPrefix << "WorkingDirectory=" << Encode(item.WorkingDirectory) << "\n"
        << KeyPrefix << "Parameters=" << Encode(item.Parameters) << "\n"
        << KeyPrefix << "Comment=" << Encode(item.Comment) << "\n"
        << KeyPrefix << "TriggerType=" << t.TriggerType << "\n"
        << KeyPrefix << "BeginDate=" << t.BeginDate.toString(Qt::ISODate) << "\n"
        << KeyPrefix << "StartTime=" << QStringLiteral("%1:%2").arg(t.StartHour, 2, 10, QLatin1Char('0')).arg(t.StartMinute, 2, 10, QLatin1Char('0')) << "\n"
        << KeyPrefix << "DaysInterval=" << t.DaysInterval << "\n"
        << KeyPrefix << "WeeksInterval=" << t.WeeksInterval << "\n"
        << KeyPrefix << "DaysOfTheWeek=" << Hex(t.DaysOfTheWeek) << "\n"
        << KeyPrefix << "DaysOfMonth=" << Hex(t.DaysOfMonth) << "\n"
        << KeyPrefix << "Months=" << Hex(t.Months) << "\n"
        << "\n[Timer]\n"
        << "OnCalendar=" << SchedulingAgent::CalendarOf(t) << "\n"
        // Start on the minute, as the user set it, not within the default minute of slack.
        << "AccuracySec=1s\n"
        << "Unit=" << name << ServiceSuffix << "\n"
        << "\n[Install]\n"
        << "WantedBy=timers.target\n";
    return s;
}

QString ServiceText(const WorkItem &item)
{
    QString exec;
    if (SafeProgramPath(item.ApplicationName))
        exec = ExecWord(item.ApplicationName, true);
    else  // the manager refuses such a path as the program; a shell starts it instead
        exec = QStringLiteral("/bin/sh -c 'exec \"$$0\" \"$$@\"' ") + ExecWord(item.ApplicationName, false);
    for (const QString &arg : QProcess::splitCommand(item.Parameters))
        exec += QLatin1Char(' ') + ExecWord(arg, false);
    QString s;
    QTextStream out(&s);
    out << "[Unit]\n"
        << "Description=" << UnitEscape(item.Comment) << "\n"
        // Runs only while the user's desktop session is up, and gets its display.
        << "Requisite=graphical-session.target\n"
        << "After=graphical-session.target\n"
        << "PartOf=graphical-session.target\n"
        << "\n[Service]\n"
        << "Type=exec\n";
    if (!item.WorkingDirectory.isEmpty())
        out << "WorkingDirectory=" << UnitEscape(item.WorkingDirectory) << "\n";
    if (NeedsCondition(item.Trigger))
        out << "ExecCondition=" << ExecEscape(IntervalCondition(item.Trigger)) << "\n";
    out << "ExecStart=" << exec << "\n"
        // The program may start the updater and end; the updater must live on.
        << "KillMode=process\n";
    return s;
}

bool WriteFile(const QString &path, const QString &text, QString *error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

// Keys of one section of a unit file; none when the file cannot be read.
std::optional<QHash<QString, QString>> ReadSection(const QString &path, const QString &section, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    QHash<QString, QString> keys;
    QString current;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (current == section && eq > 0)
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

}  // namespace

SchedulingAgent::SchedulingAgent(QString systemctlProgram)
    : m_systemctl(std::move(systemctlProgram))
{
}

QString SchedulingAgent::UnitFolder()
{
    return ConfigHomeFolder() + QStringLiteral("/systemd/user");
}

bool SchedulingAgent::ValidName(const QString &name)
{
    // Characters of a unit name, without "@" (that would make a template) and "\".
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.size() + ServiceSuffix.size() > 255)
        return false;
    for (const QChar c : name) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char(':') || c == QLatin1Char('-')
            || c == QLatin1Char('_') || c == QLatin1Char('.');
        if (!ok)
            return false;
    }
    return true;
}

QString SchedulingAgent::CalendarOf(const WorkItemTrigger &t)
{
    static const char *const WeekDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const QString time = QStringLiteral("%1:%2:00")
                             .arg(t.StartHour, 2, 10, QLatin1Char('0'))
                             .arg(t.StartMinute, 2, 10, QLatin1Char('0'));
    switch (t.TriggerType) {
    case WorkItemTrigger::Weekly: {
        // Monday first, as the manager prints them back.
        QStringList days;
        for (int i : {1, 2, 3, 4, 5, 6, 0})
            if (t.DaysOfTheWeek & (1u << i))
                days << QLatin1String(WeekDays[i]);
        return days.join(QLatin1Char(',')) + QStringLiteral(" *-*-* ") + time;
    }
    case WorkItemTrigger::MonthlyDate: {
        const auto number = [](int i) { return QString::number(i + 1); };
        const QString days = BitNames(t.DaysOfMonth, 31, number).join(QLatin1Char(','));
        const QString months = (t.Months & 0xFFF) == 0xFFF ? QStringLiteral("*")
                                                            : BitNames(t.Months, 12, number).join(QLatin1Char(','));
        return QStringLiteral("*-%1-%2 %3").arg(months, days, time);
    }
    default:
        return QStringLiteral("*-*-* ") + time;
    }
}

QStringList SchedulingAgent::Enum() const
{
    QStringList names;
    const QDir dir(UnitFolder());
    const QStringList timers = dir.entryList({QLatin1Char('*') + TimerSuffix}, QDir::Files, QDir::Name);
    for (const QString &file : timers) {
        const auto keys = ReadSection(dir.filePath(file), QStringLiteral("Unit"), nullptr);
        if (keys && keys->contains(KeyPrefix + QStringLiteral("TriggerType")))
            names << file.chopped(TimerSuffix.size());
    }
    return names;
}

bool SchedulingAgent::Exists(const QString &name) const
{
    const QDir dir(UnitFolder());
    return QFileInfo::exists(dir.filePath(name + TimerSuffix)) || QFileInfo::exists(dir.filePath(name + ServiceSuffix));
}

std::optional<WorkItem> SchedulingAgent::Activate(const QString &name, QString *error) const
{
    if (!ValidName(name)) {
        if (error)
            *error = QStringLiteral("Not a valid work item name: %1").arg(name);
        return std::nullopt;
    }
    const QDir dir(UnitFolder());
    if (!QFileInfo(dir.filePath(name + ServiceSuffix)).isReadable()) {
        if (error)
            *error = QStringLiteral("%1: cannot be read").arg(dir.filePath(name + ServiceSuffix));
        return std::nullopt;
    }
    const auto keys = ReadSection(dir.filePath(name + TimerSuffix), QStringLiteral("Unit"), error);
    if (!keys)
        return std::nullopt;
    const auto key = [&](const char *k) { return keys->value(KeyPrefix + QLatin1String(k)); };

    WorkItem item;
    item.ApplicationName = Decode(key("Application"));
    item.WorkingDirectory = Decode(key("WorkingDirectory"));
    item.Parameters = Decode(key("Parameters"));
    item.Comment = Decode(key("Comment"));
    WorkItemTrigger &t = item.Trigger;
    const auto type = ParseNumber(key("TriggerType"));
    const auto daysInterval = ParseNumber(key("DaysInterval"));
    const auto weeksInterval = ParseNumber(key("WeeksInterval"));
    const auto weekDays = ParseNumber(key("DaysOfTheWeek"));
    const auto monthDays = ParseNumber(key("DaysOfMonth"));
    const auto months = ParseNumber(key("Months"));
    const QTime start = QTime::fromString(key("StartTime"), QStringLiteral("HH:mm"));
    t.BeginDate = QDate::fromString(key("BeginDate"), Qt::ISODate);
    if (type && daysInterval && weeksInterval && weekDays && monthDays && months && start.isValid()) {
        t.TriggerType = int(*type);
        t.DaysInterval = int(*daysInterval);
        t.WeeksInterval = int(*weeksInterval);
        t.DaysOfTheWeek = uint16_t(*weekDays);
        t.DaysOfMonth = *monthDays;
        t.Months = uint16_t(*months);
        t.StartHour = start.hour();
        t.StartMinute = start.minute();
    }
    const QString invalid = ValidationError(item);
    if (!invalid.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(dir.filePath(name + TimerSuffix), invalid);
        return std::nullopt;
    }
    return item;
}

bool SchedulingAgent::RunSystemctl(const QStringList &arguments, QString *error) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(m_systemctl, QStringList{QStringLiteral("--user")} + arguments);
    if (!p.waitForStarted(SystemctlTimeoutMs)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(m_systemctl, p.errorString());
        return false;
    }
    if (!p.waitForFinished(SystemctlTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        if (error)
            *error = QStringLiteral("%1 %2: no answer").arg(m_systemctl, arguments.join(QLatin1Char(' ')));
        return false;
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    if (error) {
        QString text = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        if (text.isEmpty())
            text = QStringLiteral("%1 %2 failed (exit code %3)")
                       .arg(m_systemctl, arguments.join(QLatin1Char(' ')))
                       .arg(p.exitCode());
        *error = text;
    }
    return false;
}

void SchedulingAgent::RemoveFiles(const QString &name) const
{
    const QDir dir(UnitFolder());
    QFile::remove(dir.filePath(name + TimerSuffix));
    QFile::remove(dir.filePath(name + ServiceSuffix));
    // An enable that got half-way leaves its link; it points at the timer just removed.
    const QFileInfo link(dir.filePath(QStringLiteral("timers.target.wants/") + name + TimerSuffix));
    if (link.isSymLink() && link.symLinkTarget() == dir.filePath(name + TimerSuffix))
        QFile::remove(link.filePath());
}

bool SchedulingAgent::NewWorkItem(const QString &name, const WorkItem &item, QString *error)
{
    if (!ValidName(name)) {
        if (error)
            *error = QStringLiteral("Not a valid work item name: %1").arg(name);
        return false;
    }
    const QString invalid = ValidationError(item);
    if (!invalid.isEmpty()) {
        if (error)
            *error = invalid;
        return false;
    }
    if (Exists(name)) {
        if (error)
            *error = QStringLiteral("A work item named %1 exists already.").arg(name);
        return false;
    }
    const QDir dir(UnitFolder());
    if (!QDir().mkpath(dir.path())) {
        if (error)
            *error = QStringLiteral("%1: cannot be created").arg(dir.path());
        return false;
    }
    if (!WriteFile(dir.filePath(name + ServiceSuffix), ServiceText(item), error)
        || !WriteFile(dir.filePath(name + TimerSuffix), TimerText(name, item), error)) {
        RemoveFiles(name);
        return false;
    }
    if (RunSystemctl({QStringLiteral("daemon-reload")}, error)
        && RunSystemctl({QStringLiteral("enable"), QStringLiteral("--now"), name + TimerSuffix}, error))
        return true;
    // Undo what may have got through; these may fail as well, the first error is the one to tell.
    RunSystemctl({QStringLiteral("disable"), QStringLiteral("--now"), name + TimerSuffix}, nullptr);
    RemoveFiles(name);
    RunSystemctl({QStringLiteral("daemon-reload")}, nullptr);
    return false;
}

bool SchedulingAgent::Delete(const QString &name, QString *error)
{
    if (!ValidName(name) || !Exists(name)) {
        if (error)
            *error = QStringLiteral("There is no work item named %1.").arg(name);
        return false;
    }
    if (!RunSystemctl({QStringLiteral("disable"), QStringLiteral("--now"), name + TimerSuffix}, error))
        return false;
    RemoveFiles(name);
    const QDir dir(UnitFolder());
    if (Exists(name)) {
        if (error)
            *error = QStringLiteral("%1: cannot be removed").arg(dir.filePath(name + TimerSuffix));
        return false;
    }
    // The timer is stopped and its files are gone: the item is deleted even if this fails.
    RunSystemctl({QStringLiteral("daemon-reload")}, nullptr);
    return true;
}
