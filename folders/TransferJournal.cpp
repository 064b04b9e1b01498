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

// The file is JSON, so that any name (blanks, colons, line breaks) survives:
//   {"format": 1, "entries": [{"folder": "ftp://host/pub", "target": "/pub/f.bin",
//     "temporary": "/pub/f.bin.cvtmp1a2b3c4d", "aside": "/pub/f.bin.p", "step": "copying"}]}
// "step" is "copying" while the new content is written, "swapping" once it is complete.

namespace {

constexpr int Format = 1;

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
    m_path = other.m_path;
    m_entries = other.m_entries;
    // A change made from here on is not in the new file yet.
    m_written = m_changes;
    m_writtenOk = true;
    return *this;
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

bool TransferJournal::write(const QList<Entry> &open) const
{
    if (open.isEmpty())
        return QFile::remove(m_path) || !QFileInfo::exists(m_path);
    QJsonArray entries;
    for (const Entry &e : open)
        entries.append(QJsonObject{{"folder", e.Folder},
                                   {"target", e.Target},
                                   {"temporary", e.Temporary},
                                   {"aside", e.Aside},
                                   {"step", e.Swapping ? "swapping" : "copying"}});
    QDir().mkpath(QFileInfo(m_path).path());
    const QByteArray data =
        QJsonDocument(QJsonObject{{"format", Format}, {"entries", entries}}).toJson(QJsonDocument::Compact);
    const bool durable = std::any_of(open.cbegin(), open.cend(),
                                     [](const Entry &e) { return !e.Aside.isEmpty(); });
    if (durable) {
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(data);
        return file.commit();
    }
    // Replaced in one step as well, but without waiting for the disk (a wait per file).
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
