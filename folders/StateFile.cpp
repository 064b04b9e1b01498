#include "folders/StateFile.h"

#include "folders/FileEntry.h"

#include <QFile>
#include <QSaveFile>

#include <sys/mman.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// "*" cannot occur in a Windows name, so names Windows allows are written unchanged, while
// ":", CR and LF (legal here and on FTP servers) cannot break the line and field structure.
void AppendEscaped(QByteArray &out, const QString &text, bool escapeColon)
{
    const QByteArray utf8 = text.toUtf8();
    for (char c : utf8) {
        switch (c) {
        case '*': out += "*2A"; break;
        case '\r': out += "*0D"; break;
        case '\n': out += "*0A"; break;
        case ':':
            if (escapeColon) {
                out += "*3A";
                break;
            }
            out += c;
            break;
        default: out += c;
        }
    }
}

bool Unescape(QByteArrayView field, QString &out)
{
    if (!field.contains('*')) {
        out = QString::fromUtf8(field);
        return true;
    }
    QByteArray raw;
    raw.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '*') {
            raw += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return false;
        bool ok = false;
        const int code = field.sliced(i + 1, 2).toInt(&ok, 16);
        if (!ok || (code != '*' && code != ':' && code != '\r' && code != '\n'))
            return false;
        raw += char(code);
        i += 2;
    }
    out = QString::fromUtf8(raw);
    return true;
}

// Strict decimal: optional minus sign and digits only, so " 12" or "1e3" count as malformed.
template <typename T>
bool ParseInteger(QByteArrayView field, T &out)
{
    if (field.isEmpty())
        return false;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (!(c >= '0' && c <= '9') && !(c == '-' && i == 0))
            return false;
    }
    bool ok = false;
    const qlonglong v = field.toLongLong(&ok);
    if (!ok || v < qlonglong(std::numeric_limits<T>::min()) || v > qlonglong(std::numeric_limits<T>::max()))
        return false;
    out = T(v);
    return true;
}

void AppendNumber(QByteArray &out, qlonglong value)
{
    out += QByteArray::number(value);
}

void SerializeChildren(QByteArray &out, const FileEntry &parent)
{
    for (int i = 0; i < parent.ChildCount(); ++i) {
        const FileEntry &e = *parent.Child(i);
        AppendEscaped(out, e.Name(), true);
        out += ':';
        AppendNumber(out, e.ChildCount());
        out += ':';
        AppendEscaped(out, StateFile::RecordedPath(e), true);
        out += ':';
        AppendNumber(out, e.FileTime);
        out += ':';
        // The reader knows a folder by this size alone, so a folder never writes another.
        AppendNumber(out, e.IsFolder ? -1 : e.FileSize);
        out += ':';
        AppendNumber(out, e.FileAttr);
        out += "\r\n";
        if (e.IsFolder)
            SerializeChildren(out, e);
    }
}

// The names of the folders between the root and entry, each followed by "/".
QString FoldersAbove(const FileEntry &entry)
{
    std::vector<const FileEntry *> chain;
    for (const FileEntry *p = entry.Parent; p && p->Parent; p = p->Parent)
        chain.push_back(p);
    QString path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        path += (*it)->Name() + u'/';
    return path;
}

// A path per entry would weigh more than the rest of a big tree: one that the entry's place
// gives is not kept. The first file fixes the tree's prefix for good, so that no dropped path
// can come to read differently.
void KeepUnlessDerivable(FileEntry &entry, const QString &path, FileEntry &root)
{
    if (entry.IsFolder) {
        if (path != u'/' + FoldersAbove(entry))
            entry.SetFilePath(path);
        return;
    }
    if (!root.HasFilePath()) {
        const QString below = u'/' + FoldersAbove(entry) + entry.Name();
        root.SetFilePath(path.endsWith(below) ? path.chopped(below.size() - 1) : QStringLiteral(""));
    }
    if (path != entry.Path())
        entry.SetFilePath(path);
}

// Deeper than any real path could be; a file claiming more is damaged, and refusing it
// keeps both this reader and the tree's destruction off the end of the stack.
constexpr int MaxDepth = 4096;

// The six fields of an entry's line; false when it has another number of them.
bool SplitFields(QByteArrayView line, QByteArrayView (&fields)[6])
{
    int n = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ':')
            continue;
        if (n == 6)
            return false;
        fields[n++] = line.sliced(start, i - start);
        start = i + 1;
    }
    return n == 6;
}

bool ParseEntries(const std::vector<QByteArrayView> &lines, qsizetype lineCount, FileEntry &root,
                  int32_t rootCount)
{
    struct Level {
        FileEntry *parent;
        int32_t remaining;
    };
    std::vector<Level> stack;
    root.ReserveChildren(int(std::min<qsizetype>(rootCount, lineCount - 1)));
    stack.push_back({&root, rootCount});
    qsizetype cursor = 1;
    QByteArrayView f[6];
    while (!stack.empty()) {
        Level &top = stack.back();
        if (top.remaining == 0) {
            top.parent->FitNames();
            stack.pop_back();
            continue;
        }
        --top.remaining;
        if (cursor >= lineCount)
            return false;
        if (!SplitFields(lines[size_t(cursor++)], f))
            return false;
        QString name;
        if (!Unescape(f[0], name))
            return false;
        FileEntry *e = top.parent->AddChild(name);
        int32_t count = 0;
        QString path;
        if (!ParseInteger(f[1], count) || !Unescape(f[2], path) || !ParseInteger(f[3], e->FileTime)
            || !ParseInteger(f[4], e->FileSize) || !ParseInteger(f[5], e->FileAttr))
            return false;
        // An empty field is a path too, unlike none at all.
        if (path.isNull())
            path = QStringLiteral("");
        e->IsFolder = e->FileSize == -1 ? 1 : 0;
        KeepUnlessDerivable(*e, path, root);
        if (e->IsFolder) {
            if (count < 0 || int(stack.size()) >= MaxDepth)
                return false;
            // A damaged count must not reserve more than the lines left could fill.
            e->ReserveChildren(int(std::min<qsizetype>(count, lineCount - cursor)));
            stack.push_back({e, count});  // invalidates top
        }
    }
    // Lines the counts do not account for mean the counts are wrong.
    return cursor == lineCount;
}

void Clear(FileEntry &root)
{
    root.ClearChildren();
    root.SetTitle(QString());
    root.SetFilePath(QString());
}

}  // namespace

namespace StateFile {

QByteArray Serialize(const FileEntry &root)
{
    QByteArray out;
    // The header is split at its last "::" (the count has none), so only CR, LF and "*"
    // need escaping there and a Windows path or an FTP address keeps its exact text.
    AppendEscaped(out, root.Title(), false);
    out += "::";
    AppendNumber(out, root.ChildCount());
    out += "\r\n";
    SerializeChildren(out, root);
    return out;
}

bool Parse(const QByteArray &text, FileEntry &root)
{
    Clear(root);
    // Views into text: a line of its own for each of a million entries would weigh more than
    // the tree they make.
    std::vector<QByteArrayView> lines;
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf('\n', start);
        QByteArrayView line = QByteArrayView(text).sliced(start, (end < 0 ? text.size() : end) - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.push_back(line);
        if (end < 0)
            break;
        start = end + 1;
    }
    qsizetype lineCount = qsizetype(lines.size());
    while (lineCount > 0 && lines[size_t(lineCount - 1)].isEmpty())
        --lineCount;
    if (lineCount == 0)
        return false;

    const QByteArrayView header = lines[0];
    const qsizetype sep = header.lastIndexOf("::");
    QString title;
    int32_t count = 0;
    if (sep < 0 || !Unescape(header.first(sep), title) || !ParseInteger(header.sliced(sep + 2), count)
        || count < 0 || !ParseEntries(lines, lineCount, root, count)) {
        Clear(root);
        return false;
    }
    root.SetTitle(title);
    return true;
}

void ReadFile(const QString &path, FileEntry &root)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear(root);
        return;
    }
    // Read into pages of its own rather than onto the heap: a state file of a million
    // entries, held on the heap while it is parsed, would leave its room there unused for
    // the rest of the analysis. Not mapped: a file cut short meanwhile would end the program.
    const qint64 size = file.size();
    void *pages = size > 0 ? mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                           : MAP_FAILED;
    if (pages == MAP_FAILED) {
        Parse(file.readAll(), root);
        return;
    }
    const qint64 read = std::max<qint64>(file.read(static_cast<char *>(pages), size), 0);
    const QByteArray text = QByteArray::fromRawData(static_cast<const char *>(pages), read);
    // Grown since its size was taken: the whole of it, as before.
    if (!file.atEnd())
        Parse(text + file.readAll(), root);
    else
        Parse(text, root);
    munmap(pages, size_t(size));
}

bool WriteFile(const QString &path, const FileEntry &root, QString *why)
{
    QSaveFile file(path);
    const auto failed = [&] {
        if (why)
            *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    const QByteArray text = Serialize(root);
    if (file.write(text) != text.size()) {
        failed();
        file.cancelWriting();
        return false;
    }
    return file.commit() || failed();
}

namespace {

// The entry of a file below root; missing folders and the file are added when add is set,
// otherwise a missing one gives nullptr.
FileEntry *WalkTo(const QString &relativePath, FileEntry &root, bool add)
{
    const qsizetype cut = relativePath.lastIndexOf(u'/');
    const QString fileName = relativePath.mid(cut + 1);
    FileEntry *level = &root;
    QString accumulated = QStringLiteral("/");
    const auto childNamed = [](FileEntry &parent, const QString &name, int32_t isFolder) -> FileEntry * {
        if (const std::vector<int> *same = parent.ChildrenNamed(name))
            for (int i : *same)
                if (parent.Child(i)->IsFolder == isFolder)
                    return parent.Child(i);
        return nullptr;
    };
    if (cut > 0) {
        const QStringList folders = relativePath.left(cut).split(u'/', Qt::SkipEmptyParts);
        for (const QString &name : folders) {
            FileEntry *found = childNamed(*level, name, 1);
            if (!found && !add)
                return nullptr;
            if (!found) {
                found = level->AddChild(name);
                found->IsFolder = 1;
                found->SetFilePath(accumulated);
                found->FileTime = 0;
                found->FileSize = -1;
                found->FileAttr = -1;
            }
            level = found;
            accumulated += name + u'/';
        }
    }
    if (FileEntry *file = childNamed(*level, fileName, 0))
        return file;
    if (!add)
        return nullptr;
    return level->AddChild(fileName);
}

}  // namespace

QString RecordedPath(const FileEntry &entry)
{
    if (entry.HasFilePath() || !entry.Parent)
        return entry.FilePath();
    return entry.IsFolder ? u'/' + FoldersAbove(entry) : entry.Path();
}

FileEntry *FindEntry(const QString &relativePath, FileEntry &root)
{
    return WalkTo(relativePath, root, true);
}

const FileEntry *RecordedEntry(const QString &relativePath, const FileEntry &root)
{
    // Nothing is added without add: the tree is not changed.
    return WalkTo(relativePath, const_cast<FileEntry &>(root), false);
}

}  // namespace StateFile
