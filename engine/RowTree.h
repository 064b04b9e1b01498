#pragma once
#include "engine/Row.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class ResultEntry;
class Job;

// The rows of one job's result: what the job page shows and what the synchronisation
// carries out. One per job page (or CLI run); it reads the job's name, direction and
// cancel flag.
//
// Locking: whoever reads or writes rows while another thread may use them (the view's
// model on the interface thread, the synchronisation on its worker) holds Mutex(). Never
// hold it across a call that waits for the other thread.
class RowTree {
public:
    static constexpr int32_t ModeAll = -1;
    static constexpr int32_t ModeChanges = 0;
    // The files whose copy failed in the last synchronisation (see SetFailedPaths).
    static constexpr int32_t ModeErrors = -2;
    // The files changed on both sides since the last synchronisation.
    static constexpr int32_t ModeConflicts = -3;

    // Image index of a file's type icon; without a lookup every file gets the document image.
    using IconLookup = std::function<int32_t(const QString &name)>;
    // Called after each file row that a fill adds (the page advances its gauge).
    using ProgressStep = std::function<void()>;

    explicit RowTree(const Job &job) : m_job(job) {}
    RowTree(const RowTree &) = delete;
    RowTree &operator=(const RowTree &) = delete;

    void SetIconLookup(IconLookup lookup) { m_iconLookup = std::move(lookup); }
    void SetProgressStep(ProgressStep step) { m_progressStep = std::move(step); }
    // The left or right paths of the files the Errors view lists.
    void SetFailedPaths(QSet<QString> paths) { m_failedPaths = std::move(paths); }
    // The files of the result below root that changed on both sides.
    static int32_t ConflictCount(const ResultEntry &root);
    // The paths of the file rows marked CopyFailed now.
    QSet<QString> FailedPaths() const;

    std::recursive_mutex &Mutex() const { return m_mutex; }
    Row *RootNode() const { return m_root.get(); }

    // Drops every row and adds the job's root row. Does nothing for a job without a name.
    Row *MakeRootNode();
    // Adds rows below parent for the children of a result entry, in the given mode.
    void FillTree(Row *parent, const ResultEntry &entry, int32_t mode);
    // MakeRootNode, the root row's counts from the result root, then FillTree.
    void BuildView(const ResultEntry &resultRoot, int32_t mode);

    // Whether a result entry gets a row in the mode, by the job's direction.
    bool IsListed(const ResultEntry &entry, int32_t mode) const;

private:
    const Job &m_job;
    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<Row> m_root;
    IconLookup m_iconLookup;
    ProgressStep m_progressStep;
    QSet<QString> m_failedPaths;

    bool Failed(const ResultEntry &entry) const;
    static bool Conflicting(const ResultEntry &entry);
};
