#include "tests/fuzz/ParserChecks.h"

#include "folders/FileEntry.h"
#include "folders/StateFile.h"
#include "folders/TransferJournal.h"
#include "model/JobList.h"
#include "platform/FtpListParser.h"
#include "update/UpdateIni.h"
#include "updater/InstallName.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace ParserChecks {

namespace {

bool WriteInput(const QString &path, const QByteArray &bytes)
{
    // Unbuffered: each input is written once, whole, and a buffer per run is pure cost.
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) && file.write(bytes) == bytes.size();
}

QByteArray ReadBack(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? file.readAll() : QByteArray();
}

QString SameTree(const FileEntry &a, const FileEntry &b)
{
    if (a.ChildCount() != b.ChildCount())
        return QStringLiteral("child count %1 read back as %2 under \"%3\"").arg(a.ChildCount()).arg(b.ChildCount()).arg(a.Name());
    for (int i = 0; i < a.ChildCount(); ++i) {
        const FileEntry &x = *a.Child(i);
        const FileEntry &y = *b.Child(i);
        if (x.Name() != y.Name() || StateFile::RecordedPath(x) != StateFile::RecordedPath(y) || x.IsFolder != y.IsFolder
            || x.FileTime != y.FileTime || x.FileSize != y.FileSize || x.FileAttr != y.FileAttr)
            return QStringLiteral("entry \"%1\" read back as \"%2\"").arg(x.Name(), y.Name());
        const QString deeper = SameTree(x, y);
        if (!deeper.isEmpty())
            return deeper;
    }
    return {};
}

// A name a listing may hand on: one step of a path, never a way out of the folder.
QString ListedNameFault(const FtpEntry &e)
{
    if (e.name.isEmpty())
        return QStringLiteral("an empty name was taken");
    if (e.name.contains(u'/') || e.name.contains(QChar(0)))
        return QStringLiteral("the name \"%1\" holds a \"/\" or a NUL").arg(e.name);
    if (e.name == QLatin1String(".") || e.name == QLatin1String(".."))
        return QStringLiteral("the name \"%1\" was taken").arg(e.name);
    if (e.size < 0)
        return QStringLiteral("a negative size %1 was taken").arg(e.size);
    if (e.isFolder && e.sizeKnown)
        return QStringLiteral("a folder has a known size");
    return {};
}

QString InstallNameFault(const QString &url, const QString &folderUrl, const QString &folder)
{
    const QString name = InstallNameOf(url, folderUrl);
    if (name.isEmpty())
        return {};
    if (folderUrl + name != url)
        return QStringLiteral("\"%1\" is not the rest of \"%2\"").arg(name, url);
    if (name.startsWith(u'/') || name.contains(u'\\') || QDir::isAbsolutePath(name))
        return QStringLiteral("the name \"%1\" is absolute").arg(name);
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("the name \"%1\" holds a control character").arg(name);
    const QString root = QDir::cleanPath(folder);
    const QString landing = QDir::cleanPath(root + u'/' + name);
    if (!landing.startsWith(root + u'/'))
        return QStringLiteral("the name \"%1\" lands at \"%2\", outside the folder").arg(name, landing);
    // The folder holds no links, so every accepted name must stay inside it on disk as well.
    if (!StaysInFolder(folder, name))
        return QStringLiteral("the name \"%1\" was refused on disk").arg(name);
    return {};
}

const QDateTime FixedNow(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC);

}  // namespace

QString TaskList(const QByteArray &input, const QString &folder)
{
    const QString path = folder + QStringLiteral("/in.tkl");
    if (!WriteInput(path, input))
        return QStringLiteral("cannot write %1").arg(path);
    JobList jobs;
    const JobList::LoadResult result = jobs.LoadTaskList(path);
    if (result == JobList::LoadResult::NoFile)
        return QStringLiteral("the written file was not found");
    if (result == JobList::LoadResult::Unreadable && jobs.Count() != 0)
        return QStringLiteral("an unreadable file gave %1 jobs").arg(jobs.Count());
    if (result == JobList::LoadResult::Unreadable)
        return {};
    // What was read, complete or the jobs kept before a damaged one, must be written and
    // read back whole, and the second writing must equal the first.
    const QString first = folder + QStringLiteral("/first.tkl");
    const QString second = folder + QStringLiteral("/second.tkl");
    QFile::remove(first);
    QFile::remove(second);
    if (!jobs.SaveTaskList(first))
        return QStringLiteral("the %1 jobs read could not be written").arg(jobs.Count());
    JobList again;
    if (again.LoadTaskList(first) != JobList::LoadResult::Complete || again.Count() != jobs.Count())
        return QStringLiteral("%1 jobs written read back as %2, not complete").arg(jobs.Count()).arg(again.Count());
    if (!again.SaveTaskList(second) || ReadBack(first) != ReadBack(second))
        return QStringLiteral("the jobs read back were written differently");
    return {};
}

QString StateFile(const QByteArray &input)
{
    FileEntry root;
    if (!StateFile::Parse(input, root)) {
        if (root.ChildCount() != 0 || !root.Title().isEmpty())
            return QStringLiteral("a refused file left a tree behind");
        return {};
    }
    const QByteArray text = StateFile::Serialize(root);
    FileEntry again;
    if (!StateFile::Parse(text, again))
        return QStringLiteral("a written tree was refused");
    if (again.Title() != root.Title())
        return QStringLiteral("the title \"%1\" read back as \"%2\"").arg(root.Title(), again.Title());
    const QString fault = SameTree(root, again);
    if (!fault.isEmpty())
        return fault;
    if (StateFile::Serialize(again) != text)
        return QStringLiteral("the tree read back was written differently");
    return {};
}

QString MlsdLine(const QByteArray &input)
{
    FtpEntry e;
    // An MLST fact line names a whole path; only a listing's entries must be single steps.
    if (FtpListParser::ParseMlsdLine(input, e) && e.size < 0)
        return QStringLiteral("a negative size %1 was taken").arg(e.size);
    for (const FtpEntry &listed : FtpListParser::ParseListing(input, true, FixedNow)) {
        const QString fault = ListedNameFault(listed);
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString ListLine(const QByteArray &input)
{
    for (const FtpEntry &e : FtpListParser::ParseListing(input, false, FixedNow)) {
        if (!e.modified.isValid())
            return QStringLiteral("a LIST entry without a valid time was taken");
        const QString fault = ListedNameFault(e);
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString TransferJournal(const QByteArray &input, const QString &folder)
{
    const QString path = folder + QStringLiteral("/journal.json");
    if (!WriteInput(path, input))
        return QStringLiteral("cannot write %1").arg(path);
    ::TransferJournal journal(path);
    if (!journal.Load())
        return journal.Entries().isEmpty() ? QString() : QStringLiteral("a refused journal kept entries");
    const QList<::TransferJournal::Entry> read = journal.Entries();
    for (const ::TransferJournal::Entry &e : read)
        if (e.Target.isEmpty() || e.Temporary.isEmpty())
            return QStringLiteral("an entry without a target or temporary file was taken");
    if (read.isEmpty())
        return {};
    // Written whole the way a run writes it at each change, the journal must read back the
    // same. One change, not one per entry: a write per entry made a run quadratic in them.
    if (!journal.Replace(read.first(), read.first()))
        return QStringLiteral("the entries read could not be written");
    ::TransferJournal again(path);
    if (!again.Load() || again.Entries() != read)
        return QStringLiteral("the entries written read back differently");
    return {};
}

QString UpdateIni(const QByteArray &input, const QString &folder)
{
    const ::UpdateIni ini = ::UpdateIni::Parse(input);
    if (ini.Ver.contains(u'\n') || ini.Ver != ini.Ver.trimmed())
        return QStringLiteral("the version \"%1\" was taken with blanks or a line break").arg(ini.Ver);
    for (const QString &line : ini.HttpLines) {
        if (!line.contains(u'=') || line.contains(u'\n'))
            return QStringLiteral("the [HTTP] line \"%1\" was taken").arg(line);
        const QString fault = InstallNameFault(UrlOfHttpLine(line), QStringLiteral("http://updates.example/corvane/"), folder);
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString InstallName(const QByteArray &input, const QString &folder)
{
    const QString text = QString::fromUtf8(input);
    const qsizetype cut = text.indexOf(u'\n');
    if (cut < 0)
        return InstallNameFault(text, QStringLiteral("http://updates.example/corvane/"), folder);
    return InstallNameFault(text.mid(cut + 1), text.left(cut), folder);
}

Check ForTarget(const QString &name)
{
    if (name == QLatin1String("tasklist"))
        return &TaskList;
    if (name == QLatin1String("statefile"))
        return [](const QByteArray &input, const QString &) { return StateFile(input); };
    if (name == QLatin1String("mlsdline"))
        return [](const QByteArray &input, const QString &) { return MlsdLine(input); };
    if (name == QLatin1String("listline"))
        return [](const QByteArray &input, const QString &) { return ListLine(input); };
    if (name == QLatin1String("transferjournal"))
        return &TransferJournal;
    if (name == QLatin1String("updateini"))
        return &UpdateIni;
    if (name == QLatin1String("installname"))
        return &InstallName;
    return nullptr;
}

}  // namespace ParserChecks
