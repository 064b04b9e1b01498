#pragma once
#include <QList>
#include <QString>
#include <cstdint>
#include <mutex>

// The copies of one job that may have left something behind, written down before they
// can: a run that is killed at any point leaves its journal, and the next run of the job
// finishes or undoes what it names (SafeCopy::Recover). Each change reaches the file in
// one step (see write()); the file is removed by Close when no entry is open. Copies
// running on several threads at once share one journal: each change is written whole, and changes made while another
// thread writes are written together by the next write (one write per waiting batch, not
// per change, so the copies do not queue behind each other's writes). Format: see the
// implementation.
class TransferJournal {
public:
    struct Entry {
        QString Folder;     // the side's folder as configured (which side the paths belong to)
        QString Target;     // the file the copy replaces or creates
        QString Temporary;  // where the new content is written first
        QString Aside;      // where the previous content waits; empty for a new file
        // False while the new content is being written; true once it is complete and the
        // target may be set aside and replaced.
        bool Swapping = false;
        bool operator==(const Entry &) const = default;
    };

    // path empty: a journal kept in memory only (nothing survives the process).
    explicit TransferJournal(const QString &path = {});
    // A copy starts with no file of its own open.
    TransferJournal(const TransferJournal &other);
    TransferJournal &operator=(const TransferJournal &other);
    ~TransferJournal();

    QString Path() const { return m_path; }
    // Reads the file; a missing file is an empty journal. False when the file exists but
    // cannot be read as a journal (it is then left as it is and nothing is recovered).
    bool Load();
    QList<Entry> Entries() const;

    // Each writes the journal before it returns; false when it could not be written. The
    // file is forced to disk while an entry with a previous copy set aside is open: after a
    // power cut only those need the journal to be put right; a new file's entry lost that
    // way costs no more than a leftover temporary file.
    bool Add(const Entry &entry);
    bool Replace(const Entry &before, const Entry &after);
    bool Remove(const Entry &entry);
    // At the end of a run: lets the file go, and removes it when this journal wrote or read
    // it and no entry is open any more (an unreadable journal stays as it is).
    void Close();

private:
    // Returns once the file holds change (the number of the change) or a later state.
    bool Save(uint64_t change);
    bool write(const QList<Entry> &entries);
    bool writeInPlace(const QByteArray &data);
    void closeFile();

    mutable std::mutex m_lock;  // m_entries, m_changes
    QString m_path;
    QList<Entry> m_entries;
    uint64_t m_changes = 0;
    std::mutex m_writing;  // the file, m_written, m_writtenOk
    uint64_t m_written = 0;
    bool m_writtenOk = true;
    int m_fd = -1;          // the file, kept open between writes in place
    qint64 m_fileSize = 0;  // what a write in place must cover
    bool m_wroteFile = false;
};
