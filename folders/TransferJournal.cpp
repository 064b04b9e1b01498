#include "folders/TransferJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The file is JSON, so that any name (blanks, colons, line breaks) survives:
//   {"format": 1, "entries": [{"folder": "ftp://host/pub", "target": "/pub/f.bin",
//     "temporary": "/pub/f.bin.cvtmp1a2b3c4d", "aside": "/pub/f.bin.p", "step": "copying"}]}
// "step" is "copying" while the new content is written, "swapping" once it is complete.

namespace {

constexpr int Format = 1;
// A write of at most one page at the start of a file is never cut short by the end of
// the process: the file holds the old content or the new, whole.
constexpr qsizetype InPlaceLimit = 4096;

}  // namespace

TransferJournal::TransferJournal(const QString &path) : m_path(path) {}

TransferJournal::TransferJournal(const TransferJournal &other)
{
    std::lock_guard lock(other.m_lock);
    m_path = other.m_path;
    m_entries = other.m_entries;
}

TransferJournal &TransferJournal::operator=(const TransferJournal &other)
{
    if (this == &other)
        return *this;
    std::scoped_lock lock(m_writing, m_lock, other.m_lock);
    closeFile();
    m_wroteFile = false;
    m_path = other.m_path;
    m_entries = other.m_entries;
    // A change made from here on is not in the new file yet.
    m_written = m_changes;
    m_writtenOk = true;
    return *this;
}

TransferJournal::~TransferJournal()
{
    // Only Close removes the file: a journal read to look at it must not take it away.
    std::lock_guard writing(m_writing);
    closeFile();
}

void TransferJournal::Close()
{
    std::scoped_lock lock(m_writing, m_lock);
    closeFile();
    if (m_wroteFile && m_entries.isEmpty() && !m_path.isEmpty())
        QFile::remove(m_path);
    m_wroteFile = false;
}

void TransferJournal::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QList<TransferJournal::Entry> TransferJournal::Entries() const
{
    std::lock_guard lock(m_lock);
    return m_entries;
}

bool TransferJournal::Load()
{
    std::lock_guard lock(m_lock);
    m_entries.clear();
    if (m_path.isEmpty() || !QFileInfo::exists(m_path))
        return true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() || doc.object().value("format").toInt() != Format)
        return false;
    QList<Entry> entries;
    for (const QJsonValue &v : doc.object().value("entries").toArray()) {
        const QJsonObject o = v.toObject();
        Entry e;
        e.Folder = o.value("folder").toString();
        e.Target = o.value("target").toString();
        e.Temporary = o.value("temporary").toString();
        e.Aside = o.value("aside").toString();
        const QString step = o.value("step").toString();
        if (e.Target.isEmpty() || e.Temporary.isEmpty() || (step != "copying" && step != "swapping"))
            return false;
        e.Swapping = step == "swapping";
        entries.append(e);
    }
    m_entries = entries;
    // Read whole: once its entries are done, Close may remove it.
    m_wroteFile = true;
    return true;
}

bool TransferJournal::Save(uint64_t change)
{
    if (m_path.isEmpty())
        return true;
    std::lock_guard writing(m_writing);
    // A write that began after this change has put it in the file already.
    if (m_written >= change)
        return m_writtenOk;
    QList<Entry> entries;
    uint64_t latest;
    {
        std::lock_guard lock(m_lock);
        entries = m_entries;
        latest = m_changes;
    }
    m_writtenOk = write(entries);
    m_written = latest;
    return m_writtenOk;
}

bool TransferJournal::write(const QList<Entry> &open)
{
    QJsonArray entries;
    for (const Entry &e : open)
        entries.append(QJsonObject{{"folder", e.Folder},
                                   {"target", e.Target},
                                   {"temporary", e.Temporary},
                                   {"aside", e.Aside},
                                   {"step", e.Swapping ? "swapping" : "copying"}});
    const QByteArray data =
        QJsonDocument(QJsonObject{{"format", Format}, {"entries", entries}}).toJson(QJsonDocument::Compact);
    // With no entry open and no file written, there is nothing to note.
    if (open.isEmpty() && !m_wroteFile && m_fd < 0)
        return QFile::remove(m_path) || !QFileInfo::exists(m_path);
    const bool durable = std::any_of(open.cbegin(), open.cend(),
                                     [](const Entry &e) { return !e.Aside.isEmpty(); });
    // Creating, renaming and removing a file cost milliseconds each on a journalled file
    // system, a wait per copied file; an entry without a previous copy set aside is only
    // worth a leftover temporary file after a power cut, so it is written over the open
    // file in one step.
    if (!durable && writeInPlace(data))
        return true;
    closeFile();
    QDir().mkpath(QFileInfo(m_path).path());
    if (durable) {
        // Forced to disk: after a power cut only an entry with a copy aside needs the
        // journal to be put right.
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(data);
        if (!file.commit())
            return false;
        m_wroteFile = true;
        return true;
    }
    const QString temporary = m_path + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush()) {
        file.remove();
        return false;
    }
    file.close();
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    m_wroteFile = true;
    return true;
}

bool TransferJournal::writeInPlace(const QByteArray &data)
{
    if (m_fd < 0) {
        const QByteArray path = QFile::encodeName(m_path);
        m_fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno == ENOENT && QDir().mkpath(QFileInfo(m_path).path()))
            m_fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        struct stat st {};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
            closeFile();
            return false;
        }
        m_fileSize = st.st_size;
    }
    // Blanks after the JSON cover what a longer earlier state left, so the file never
    // needs to be cut (a second step a kill could fall between).
    QByteArray whole = data;
    if (whole.size() < m_fileSize)
        whole.append(QByteArray(m_fileSize - whole.size(), ' '));
    if (whole.size() > InPlaceLimit)
        return false;
    if (::pwrite(m_fd, whole.constData(), whole.size(), 0) != whole.size()) {
        closeFile();
        return false;
    }
    m_fileSize = whole.size();
    m_wroteFile = true;
    return true;
}

bool TransferJournal::Add(const Entry &entry)
{
    uint64_t change;
    {
        std::lock_guard lock(m_lock);
        m_entries.append(entry);
        change = ++m_changes;
    }
    return Save(change);
}

bool TransferJournal::Replace(const Entry &before, const Entry &after)
{
    uint64_t change;
    {
        std::lock_guard lock(m_lock);
        const qsizetype at = m_entries.indexOf(before);
        if (at < 0)
            return false;
        m_entries[at] = after;
        change = ++m_changes;
    }
    return Save(change);
}

bool TransferJournal::Remove(const Entry &entry)
{
    uint64_t change;
    {
        std::lock_guard lock(m_lock);
        m_entries.removeOne(entry);
        change = ++m_changes;
    }
    return Save(change);
}
