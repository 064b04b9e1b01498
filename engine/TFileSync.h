#pragma once
#include "engine/TEngineListener.h"
#include "folders/TTransferJournal.h"

#include <QString>
#include <cstdint>
#include <functional>

class TSyncTask;
class TRowTree;
class TSideAccess;
struct TSyncNode;
struct TAnalysisResult;

// One synchronisation of a job: walks the rows depth first, copies each file row that has
// a direction, records every copy in both state trees of the analysis result and writes the
// state files at the end (also after a cancel). Reports through listener. Execute runs on
// the calling thread; TEngineWorker runs it on a worker behind the run gate. Everything
// given must outlive Execute.
class TFileSync {
public:
    // Called on the worker after a copied row's record changed (the view repaints it).
    using RowUpdated = std::function<void(TSyncNode *row)>;

    TFileSync(TRowTree &rows, TAnalysisResult &result, const QString &programFolder,
              TEngineListener &listener, TSyncTask &job)
        : m_rows(rows), m_result(result), m_programFolder(programFolder), m_listener(listener), m_job(job) {}

    void SetRowUpdated(RowUpdated callback) { m_rowUpdated = std::move(callback); }
    void Execute();

    int32_t ErrorCount() const { return m_texts.ErrorCount; }
    int32_t SyncedCount() const { return m_texts.SyncedCount; }
    // Refused: another program was analysing or synchronising the job. Nothing was done.
    bool RunningElsewhere() const { return m_runningElsewhere; }

private:
    // False once a cancel stopped the walk.
    bool Walk(TSyncNode &node);
    void SyncFile(TSyncNode &row);
    bool CopyToLeft(TSyncNode &row, QString &leftPath, const QString &rightPath);
    bool CopyToRight(TSyncNode &row, const QString &leftPath, QString &rightPath);
    void SaveStateTrees();
    // Copies between the sides, noted in the journal; false when the copy was not made.
    bool Copy(TSideAccess &source, const QString &sourcePath, TSideAccess &target, const QString &targetPath,
              const QString &targetFolder);
    void Progress();

    TRowTree &m_rows;
    TAnalysisResult &m_result;
    QString m_programFolder;
    TEngineListener &m_listener;
    TSyncTask &m_job;
    RowUpdated m_rowUpdated;
    TEngineTexts m_texts;
    int32_t m_visited = 0;
    bool m_runningElsewhere = false;
    // Valid while Execute runs.
    TSideAccess *m_left = nullptr;
    TSideAccess *m_right = nullptr;
    TTransferJournal m_journal;
};
