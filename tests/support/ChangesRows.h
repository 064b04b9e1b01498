#pragma once
#include <QStringList>
#include <memory>

struct AnalysisResult;
class EngineListener;
class Job;
class RowTree;

// Builds rows' Changes view of result; the file rows as "path action direction", sorted
// (folders list in the platform's order).
QStringList ChangesRows(Job &job, const AnalysisResult &result, std::unique_ptr<RowTree> &rows);
// Analyses job into result, then ChangesRows.
QStringList AnalyseChanges(Job &job, EngineListener &listener, std::unique_ptr<AnalysisResult> &result,
                           std::unique_ptr<RowTree> &rows);
