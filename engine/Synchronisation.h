#pragma once
#include "engine/EngineListener.h"
#include "engine/FileTransfer.h"
#include "engine/MadeFolders.h"
#include "folders/TransferJournal.h"

#include <QList>
#include <QPair>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Job;
class RowTree;
class Side;
class TransferWorkers;
struct Row;
struct AnalysisResult;

// One synchronisation of a job: walks the rows depth first, copies each file row that has
// a direction, records every copy in both state trees of the analysis result and writes the
// state files at the end (also after a cancel). With an FTP side and more than one
// connection allowed, the files are copied on several connections at once and reported as
// each ends. Reports through listener. Execute runs on the calling thread;
// EngineWorker runs it on a worker behind the run gate. Everything given must outlive Execute.
class Synchronisation {
public:
    // Called on the worker after a copied row's record changed (the view repaints it).
    using RowUpdated = std::function<void(Row *row)>;

    Synchronisation(RowTree &rows, AnalysisResult &result, const QString &programFolder,
                    EngineListener &listener, Job &job)
        : m_rows(rows), m_result(result), m_programFolder(programFolder), m_listener(listener), m_job(job) {}

    void SetRowUpdated(RowUpdated callback) { m_rowUpdated = std::move(callback); }
    void Execute();

    int32_t ErrorCount() const { return m_texts.ErrorCount; }
    int32_t SyncedCount() const { return m_texts.SyncedCount; }
    // Refused: another program was analysing or synchronising the job. Nothing was done.
    bool RunningElsewhere() const { return m_runningElsewhere; }

    // How the walk ended. Stopped: a side's connection was lost and could not be made again.
    enum class Outcome { Done, Cancelled, Stopped };
    Outcome Ended() const { return m_outcome; }
    // Why the run stopped (the lost side's reason).
    QString StopReason() const { return m_stopReason; }
    // Files that were to be copied and were not reached (a cancel or a stop).
    int32_t NotDoneCount() const { return m_notDone; }
    // The state files that could not be written: (left side?, reason).
    QList<QPair<bool, QString>> UnsavedStates() const { return m_unsavedStates; }
    // Bytes the run's FTP transfers have moved so far, of files under way too; read from
    // any thread while it runs.
    const std::atomic<int64_t> &BytesMoved() const { return m_bytesMoved; }

private:
    // False once a cancel or a lost connection stopped the walk.
    bool Walk(Row &node);
    // The same with every file row below root copied by workers, several at once.
    bool WalkParallel(Row &root, TransferWorkers &workers);
    // Hands the file rows below node to workers in walk order.
    void Queue(Row &node, TransferWorkers &workers);
    // False when the walk must stop.
    bool SyncFile(Row &row);
    // Counts, reports and marks a copy that ended; false when the walk must stop.
    bool Finish(const FileTransfer::Task &task, const FileTransfer::Outcome &outcome);
    void Starts(const FileTransfer::Task &task);
    void SaveStateTrees();
    // The copied rows show the times and sizes both sides recorded for them.
    void ShowRecordedValues();
    std::unique_ptr<FileTransfer> MakeTransfer(Side &left, Side &right);
    // The workers when the right side can copy on several connections and more than one
    // file travels; null otherwise.
    std::unique_ptr<TransferWorkers> MakeWorkers(int32_t travelling);
    void Progress();
    // The file rows below node that have something to copy.
    int32_t Travelling(const Row &node) const;

    RowTree &m_rows;
    AnalysisResult &m_result;
    QString m_programFolder;
    EngineListener &m_listener;
    Job &m_job;
    RowUpdated m_rowUpdated;
    EngineTexts m_texts;
    int32_t m_visited = 0;
    bool m_runningElsewhere = false;
    Outcome m_outcome = Outcome::Done;
    QString m_stopReason;
    int32_t m_notDone = 0;
    QList<QPair<bool, QString>> m_unsavedStates;
    // Valid while Execute runs.
    Side *m_left = nullptr;
    Side *m_right = nullptr;
    TransferJournal m_journal;
    MadeFolders m_madeFolders;
    std::atomic<int64_t> m_bytesMoved{0};
    std::vector<Row *> m_copied;
};
