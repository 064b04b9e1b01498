// The task list file: the jobs as XML, also the exchange format of exported task lists.
#include "model/JobList.h"

#include "app/ExecutableFolder.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <vector>

namespace {

// One description of where each field lives, walked by the reader and by the writer, so
// the two cannot drift apart. Elements appear in the order the writer emits them.
template <class Visitor, class Folder>
void VisitFolder(Visitor &v, Folder &f)
{
    v.Int("DeviceType", f.DeviceType);
    v.Str("FolerAllName", f.FolerAllName);
    v.Int("validate", f.validate);
    v.Str("UserName", f.UserName);
    v.Str("PWD", f.PWD);
    v.Int("FactTime", f.FactTime);
    v.Int("ActiveMode", f.ActiveMode);
    v.Str("PrivateKey", f.PrivateKey);
}

template <class Visitor, class Bounds>
void VisitBounds(Visitor &v, Bounds &b)
{
    v.Int("FileTimeMin", b.FileTimeMin);
    v.Int("FileTimeMax", b.FileTimeMax);
    v.Int64("FileSizeMin", b.FileSizeMin);
    v.Int64("FileSizeMax", b.FileSizeMax);
}

template <class Visitor, class Task>
void VisitTask(Visitor &v, Task &t)
{
    v.Str("SyncName", t.SyncName);
    v.Str("SyncID", t.SyncID);
    v.Int("SyncDirection", t.SyncDirection);
    v.Int("ForcedOrVerified", t.ForcedOrVerified);
    v.Int("IsDeleteFile", t.IsDeleteFile);
    v.Int("SaveOldFile", t.SaveOldFile);
    v.Int("UseTempFile", t.UseTempFile);
    v.Int("CheckNoChange", t.CheckNoChange);
    v.Int("EstimateDiskSpace", t.EstimateDiskSpace);
    v.Begin("LFolder");
    VisitFolder(v, t.LFolder);
    v.End();
    v.Begin("RFolder");
    VisitFolder(v, t.RFolder);
    v.End();
    v.Begin("Filter");
    v.Int("ExcludeEmtpyFolder", t.ExcludeEmtpyFolder);
    v.Int("ExcludeHiddenFile", t.ExcludeHiddenFile);
    v.Int("ExcludeSystemFile", t.ExcludeSystemFile);
    v.Begin("IncludeFilter");
    v.List("IncludeFilterr", t.IncludeFilterr);
    VisitBounds(v, t.IncludeFilter);
    v.End();
    v.Begin("ExcludeFilter");
    v.List("ExcludeFilterr", t.ExcludeFilterr);
    VisitBounds(v, t.ExcludeFilter);
    v.End();
    v.End();
    v.Begin("Auto");
    v.Int("StartAnalyze", t.StartAnalyze);
    v.Int("StartSync", t.StartSync);
    v.Int("ConnectAnalyze", t.ConnectAnalyze);
    v.Int("ConnectSync", t.ConnectSync);
    v.Int("LogoffAnalyze", t.LogoffAnalyze);
    v.Int("LogoffSync", t.LogoffSync);
    v.Int("PeriodAnalyze", t.PeriodAnalyze);
    v.Int("PeriodSync", t.PeriodSync);
    v.Int("Hours", t.Hours);
    v.Int("minutes", t.minutes);
    v.Str("TaskScheduler", t.TaskScheduler);
    v.Int("TSsync", t.TSsync);
    v.Int("TSanalyze", t.TSanalyze);
    v.Int("Conflicts", t.Conflicts);
    v.Int("EnsureFolderTags", t.EnsureFolderTags);
    v.End();
}

// Entries split at CR LF, CR or LF; the break after the last entry ends it, it does not
// start an empty one.
QStringList SplitLines(const QString &text)
{
    QStringList entries;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            entries.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        entries.append(current);
    return entries;
}

// Reads one job element; the first missing or malformed integer makes the job faulty.
class TaskReader {
public:
    explicit TaskReader(const QDomElement &task) { m_stack.push_back(task); }
    bool Ok() const { return m_ok; }

    void Begin(const char *name) { m_stack.push_back(Child(name)); }
    void End() { m_stack.pop_back(); }
    void Str(const char *name, QString &out) { out = Text(name); }
    void List(const char *name, QStringList &out) { out = SplitLines(Text(name)); }
    void Int(const char *name, int32_t &out)
    {
        bool ok = false;
        const int v = Text(name).trimmed().toInt(&ok, 10);
        Take(ok, out, int32_t(v));
    }
    void Int64(const char *name, int64_t &out)
    {
        bool ok = false;
        const qlonglong v = Text(name).trimmed().toLongLong(&ok, 10);
        Take(ok, out, int64_t(v));
    }

private:
    QDomElement Child(const char *name) const
    {
        // firstChildElement of a null element is null, so a missing parent reads as empty.
        return m_stack.back().firstChildElement(QString::fromLatin1(name));
    }
    QString Text(const char *name) const { return Child(name).text(); }
    template <class T>
    void Take(bool ok, T &out, T value)
    {
        if (ok)
            out = value;
        else
            m_ok = false;
    }

    std::vector<QDomElement> m_stack;
    bool m_ok = true;
};

// Characters that XML 1.0 cannot carry at all; written as they are they would make the
// whole file unreadable, and every job with it.
QString XmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D)
            continue;
        out.append(c);
    }
    return out;
}

class TaskWriter {
public:
    TaskWriter(QDomDocument &doc, QDomElement task) : m_doc(doc) { m_stack.push_back(task); }

    void Begin(const char *name) { m_stack.push_back(Append(name)); }
    void End() { m_stack.pop_back(); }
    void Str(const char *name, const QString &value) { SetText(Append(name), value); }
    void List(const char *name, const QStringList &entries)
    {
        QString text;
        for (const QString &e : entries)
            text += e + QStringLiteral("\r\n");
        SetText(Append(name), text);
    }
    void Int(const char *name, int32_t value) { SetText(Append(name), QString::number(value)); }
    void Int64(const char *name, int64_t value) { SetText(Append(name), QString::number(qlonglong(value))); }

private:
    QDomElement Append(const char *name)
    {
        QDomElement e = m_doc.createElement(QString::fromLatin1(name));
        m_stack.back().appendChild(e);
        return e;
    }
    void SetText(QDomElement e, const QString &value)
    {
        const QString text = XmlSafe(value);
        if (text.isEmpty())
            return;
        // The parser drops text made only of blanks and line breaks, even as character
        // references, but keeps it inside CDATA: a password of blanks must come back.
        bool blank = true;
        for (const QChar c : text)
            blank = blank && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n');
        if (blank)
            e.appendChild(m_doc.createCDATASection(text));
        else
            e.appendChild(m_doc.createTextNode(text));  // a CR is written as &#xd; and kept
    }

    QDomDocument &m_doc;
    std::vector<QDomElement> m_stack;
};

// The file is serialised as UTF-8, so the declaration must say so; version and standalone
// of an existing file's declaration stay.
QString Utf8Declaration(const QString &data)
{
    auto attribute = [&data](const char *name) {
        const QRegularExpression re(QStringLiteral("%1\\s*=\\s*(['\"])(.*?)\\1").arg(QLatin1String(name)));
        const QRegularExpressionMatch m = re.match(data);
        return m.hasMatch() ? m.captured(2) : QString();
    };
    QString version = attribute("version");
    if (version.isEmpty())
        version = QStringLiteral("1.0");
    QString result = QStringLiteral("version=\"%1\" encoding=\"utf-8\"").arg(version);
    const QString standalone = attribute("standalone");
    if (!standalone.isEmpty())
        result += QStringLiteral(" standalone=\"%1\"").arg(standalone);
    return result;
}

const char NewFileText[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TaskList>\n</TaskList>\n";

}  // namespace

JobList::LoadResult JobList::LoadTaskList(const QString &path)
{
    Clear();
    QFile file(path);
    if (!file.exists())
        return LoadResult::NoFile;
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    QDomDocument doc;
    if (!doc.setContent(file.readAll()) || doc.documentElement().isNull())
        return LoadResult::Unreadable;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        auto task = std::make_unique<Job>();
        TaskReader reader(e);
        VisitTask(reader, *task);
        if (!reader.Ok())
            return LoadResult::PartlyRead;
        AppendLoaded(std::move(task));
    }
    return LoadResult::Complete;
}

bool JobList::SaveTaskList() const
{
    return SaveTaskList(ExecutableFolder() + QStringLiteral("tasklist.tkl"));
}

bool JobList::SaveTaskList(const QString &path) const
{
    QByteArray start = NewFileText;
    if (QFileInfo::exists(path)) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        start = existing.readAll();
        if (existing.error() != QFileDevice::NoError)
            return false;
    }
    QDomDocument doc;
    if (!doc.setContent(start))
        return false;  // a file we cannot understand is left for the user, not replaced
    QDomElement root = doc.documentElement();
    if (root.isNull())
        return false;
    for (QDomNode n = doc.firstChild(); !n.isNull(); n = n.nextSibling()) {
        QDomProcessingInstruction pi = n.toProcessingInstruction();
        if (!pi.isNull() && pi.target() == QLatin1String("xml"))
            pi.setData(Utf8Declaration(pi.data()));
    }
    while (root.hasChildNodes())
        root.removeChild(root.firstChild());

    for (const Entry &entry : m_entries) {
        if (entry.Task->ListState == 1)
            continue;
        QDomElement tast = doc.createElement(QStringLiteral("Tast"));
        root.appendChild(tast);
        TaskWriter writer(doc, tast);
        VisitTask(writer, *entry.Task);
    }

    const QByteArray bytes = doc.toByteArray(2);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // The file holds FTP passwords in plain text.
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
