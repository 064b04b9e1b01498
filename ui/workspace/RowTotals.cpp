#include "ui/workspace/RowTotals.h"

#include "engine/Row.h"
#include "engine/SyncAction.h"

#include <QLocale>
#include <QStringList>

namespace {

void CountBelow(Row &row, RowTotals &t, std::vector<Row *> &changed)
{
    for (const auto &child : row.Children) {
        RowRecord &d = child->Data;
        if (d.Kind == 1) {
            const int32_t toLeft = t.ToLeft.Count, toRight = t.ToRight.Count;
            CountBelow(*child, t, changed);
            if (d.ToLeftCount != t.ToLeft.Count - toLeft || d.ToRightCount != t.ToRight.Count - toRight) {
                d.ToLeftCount = t.ToLeft.Count - toLeft;
                d.ToRightCount = t.ToRight.Count - toRight;
                changed.push_back(child.get());
            }
            continue;
        }
        ++t.FileRows;
        if (d.Reason.Conflict())
            ++t.Conflicts;
        if (d.CopyFailed)
            ++t.Failed;
        const int32_t proposed = TravelsToLeft(d.Action) ? 1 : TravelsToRight(d.Action) ? 2 : 0;
        if (d.Direction == 0) {
            if (proposed != 0)
                ++t.Excluded;
            continue;
        }
        const bool copied = d.DirectImage == RowImage::Same;
        if (d.Direction == 1)
            (copied ? t.CopiedToLeft : t.ToLeft).Add(d.RightSize);
        else
            (copied ? t.CopiedToRight : t.ToRight).Add(d.LeftSize);
    }
}

QString FilesText(const RowTotals::Files &files)
{
    const QLocale locale;
    const QString count = files.Count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(locale.toString(files.Count));
    return QStringLiteral("%1 (%2)").arg(count, locale.formattedDataSize(files.Bytes, 1, QLocale::DataSizeTraditionalFormat));
}

}  // namespace

RowTotals RowTotals::Count(Row &root, std::vector<Row *> &changed)
{
    RowTotals totals;
    CountBelow(root, totals, changed);
    RowRecord &d = root.Data;
    if (d.ToLeftCount != totals.ToLeft.Count || d.ToRightCount != totals.ToRight.Count) {
        d.ToLeftCount = totals.ToLeft.Count;
        d.ToRightCount = totals.ToRight.Count;
        changed.push_back(&root);
    }
    return totals;
}

QString RowTotals::Text() const
{
    QStringList parts;
    const bool ran = CopiedToLeft.Count + CopiedToRight.Count + Failed > 0;
    if (ran) {
        parts << QStringLiteral("Copied to left: ") + FilesText(CopiedToLeft)
              << QStringLiteral("to right: ") + FilesText(CopiedToRight)
              << QStringLiteral("Failed: %1").arg(Failed);
        if (ToLeft.Count + ToRight.Count > 0)
            parts << QStringLiteral("Still to copy: %1 to left, %2 to right").arg(FilesText(ToLeft), FilesText(ToRight));
    } else {
        parts << QStringLiteral("To left: ") + FilesText(ToLeft) << QStringLiteral("To right: ") + FilesText(ToRight);
    }
    parts << QStringLiteral("Conflicts: %1").arg(Conflicts) << QStringLiteral("Excluded: %1").arg(Excluded);
    return parts.join(QStringLiteral(" \u00b7 "));
}
