#include "tests/support/ChangesRows.h"

#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/RowTree.h"
#include "model/Job.h"

namespace {

void DumpRows(const Row &node, const QString &prefix, QStringList &out)
{
    for (int i = 0; i < node.ChildCount(); ++i) {
        const Row &c = *node.Child(i);
        if (c.Data.Kind == 1)
            DumpRows(c, prefix + c.Data.Name + "/", out);
        else
            out << QStringLiteral("%1%2 %3 %4").arg(prefix, c.Data.Name).arg(c.Data.Action).arg(c.Data.Direction);
    }
}

}  // namespace

QStringList AnalyseChanges(Job &job, EngineListener &listener, std::unique_ptr<AnalysisResult> &result,
                           std::unique_ptr<RowTree> &rows)
{
    job.CancelFlag = 0;
    result = std::make_unique<AnalysisResult>();
    Analysis(job, listener, *result).Execute();
    return ChangesRows(job, *result, rows);
}

QStringList ChangesRows(Job &job, const AnalysisResult &result, std::unique_ptr<RowTree> &rows)
{
    rows = std::make_unique<RowTree>(job);
    rows->BuildView(*result.ResultRoot, RowTree::ModeChanges);
    QStringList out;
    DumpRows(*rows->RootNode(), QString(), out);
    out.sort();
    return out;
}
