#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class Job;
class MadeFolders;
class RowTree;
class Side;
class TransferJournal;
struct AnalysisResult;
struct Row;

// The copy of one file row between the two sides of a synchronisation: the path the row
// lacks on the target side, the folders it needs there, the safe copy noted in the journal,
// and the record of the right side's file in its state tree. Several may run at once, each
// on its own siblings of the run's sides; rows change under the tree's lock. Reports
// nothing itself: the run turns each Outcome into its log lines and counts.
class FileTransfer {
public:
    // A file row to copy, as read from the tree.
    struct Task {
        Row *Target = nullptr;
        int32_t Action = 0;
        bool ToLeft = false;
        QString Name;
        QString LeftPath;
        QString RightPath;
    };
    struct Outcome {
        bool Copied = false;
        // The row's paths after the copy (a new file's path is made on the target side).
        QString LeftPath;
        QString RightPath;
        // A failure that names its side: whether that side is the left one, and why.
        bool FailureNamed = false;
        bool FailedAtLeft = false;
        QString Reason;
        // A side's connection was lost (every further copy would fail), and its reason.
        bool Lost = false;
        QString LostReason;
    };
    // Called on the copying thread once the paths are known, before any byte travels.
    using Starting = std::function<void(bool toLeft)>;

    FileTransfer(Side &left, Side &right, RowTree &rows, AnalysisResult &result, const QString &programFolder,
                 const Job &job, TransferJournal &journal, MadeFolders &madeFolders)
        : m_left(left), m_right(right), m_rows(rows), m_result(result), m_programFolder(programFolder),
          m_job(job), m_journal(journal), m_madeFolders(madeFolders)
    {
    }

    void SetStarting(Starting starting) { m_starting = std::move(starting); }

    // The row's copy, or nullopt when it has nothing to copy (no direction, or the user
    // deleted its only copy).
    static std::optional<Task> TaskOf(Row &row, RowTree &rows);
    Outcome Run(const Task &task);

private:
    // Both fill m_failure when the copy was not made.
    bool copyToLeft(Row &row, QString &leftPath, const QString &rightPath);
    bool copyToRight(Row &row, const QString &leftPath, QString &rightPath);
    bool copy(Side &source, const QString &sourcePath, Side &target, const QString &targetPath,
              const QString &targetFolder);
    void starting(bool toLeft)
    {
        if (m_starting)
            m_starting(toLeft);
    }

    Side &m_left;
    Side &m_right;
    RowTree &m_rows;
    AnalysisResult &m_result;
    QString m_programFolder;
    const Job &m_job;
    TransferJournal &m_journal;
    MadeFolders &m_madeFolders;
    Starting m_starting;
    Side *m_failedAt = nullptr;
    QString m_failure;
};
