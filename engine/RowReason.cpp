#include "engine/RowReason.h"

#include "app/DosDateTime.h"
#include "engine/RowRecord.h"
#include "engine/SyncAction.h"
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"

#include <QLocale>

namespace {

const QString Arrow = QStringLiteral(" \u2192 ");

QString When(int32_t packed)
{
    const QDateTime when = DosDateTime::Unpack(packed);
    return when.isValid() ? QLocale().toString(when, QStringLiteral("d MMM yyyy HH:mm")) : QStringLiteral("no date");
}

QString Size(int64_t size)
{
    return QLocale().toString(qlonglong(size));
}

// "size 1,204 → 1,310, 9 Dec 2026 14:02 → 15:40": the recorded values, then the current ones.
QString Change(const RowReason &reason, int64_t size, int32_t time)
{
    QStringList parts;
    if (reason.RecordedSize != size)
        parts << QStringLiteral("size ") + Size(reason.RecordedSize) + Arrow + Size(size);
    parts << When(reason.RecordedTime) + Arrow + When(time);
    return QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + u')';
}

QString Travel(int32_t action)
{
    if (TravelsToLeft(action))
        return QStringLiteral("copy to left");
    if (TravelsToRight(action))
        return QStringLiteral("copy to right");
    return QStringLiteral("nothing to do");
}

QString Rule(const RowRecord &row)
{
    const RowReason &r = row.Reason;
    switch (r.Why) {
    case RowReason::NewLeft: return QStringLiteral("New on the left");
    case RowReason::NewRight: return QStringLiteral("New on the right");
    case RowReason::MissingRightLeftUnchanged:
        return QStringLiteral("Missing on the right since the last sync; left unchanged (deletions are not "
                              "carried over)");
    case RowReason::MissingLeftRightUnchanged:
        return QStringLiteral("Missing on the left since the last sync; right unchanged (deletions are not "
                              "carried over)");
    case RowReason::MissingRightLeftChanged:
        return QStringLiteral("Missing on the right; left changed since the last sync")
            + Change(r, row.LeftSize, row.LeftTime);
    case RowReason::MissingLeftRightChanged:
        return QStringLiteral("Missing on the left; right changed since the last sync")
            + Change(r, row.RightSize, row.RightTime);
    case RowReason::BothUnchanged: return QStringLiteral("Both copies unchanged since the last sync");
    case RowReason::LeftChanged:
        return QStringLiteral("Left changed since the last sync") + Change(r, row.LeftSize, row.LeftTime)
            + QStringLiteral("; right unchanged");
    case RowReason::RightChanged:
        return QStringLiteral("Right changed since the last sync") + Change(r, row.RightSize, row.RightTime)
            + QStringLiteral("; left unchanged");
    case RowReason::BothChanged: {
        const QString times = QStringLiteral(" (left %1, right %2)").arg(When(row.LeftTime), When(row.RightTime));
        const QString winner = row.LeftTime > row.RightTime   ? QStringLiteral("the later left copy wins")
                               : row.LeftTime < row.RightTime ? QStringLiteral("the later right copy wins")
                                                              : QStringLiteral("same time: the right copy wins");
        return QStringLiteral("Conflict: changed on both sides since the last sync") + times + QStringLiteral("; ")
            + winner;
    }
    case RowReason::ByTime: {
        const bool left = r.Flags & RowReason::LeftNotRecorded, right = r.Flags & RowReason::RightNotRecorded;
        QString text = left && right ? QStringLiteral("No sync record on either side")
                       : left        ? QStringLiteral("No sync record on the left")
                                     : QStringLiteral("No sync record on the right");
        if (row.LeftTime == row.RightTime) {
            text += QStringLiteral("; same time on both sides (%1)").arg(When(row.LeftTime));
            if (row.LeftSize != row.RightSize)
                text += QStringLiteral(", sizes %1 and %2 are not compared").arg(Size(row.LeftSize), Size(row.RightSize));
        } else {
            text += QStringLiteral("; %1 is later (left %2, right %3)")
                        .arg(row.LeftTime > row.RightTime ? QStringLiteral("left") : QStringLiteral("right"),
                             When(row.LeftTime), When(row.RightTime));
        }
        return text;
    }
    default: return QString();
    }
}

}  // namespace

RowReason RowReason::Of(const ResultEntry &record)
{
    RowReason reason;
    reason.Why = record.ReasonCode;
    reason.Flags = record.ReasonFlags;
    const FileEntry *changed = nullptr;
    switch (reason.Why) {
    case MissingRightLeftUnchanged:
    case MissingRightLeftChanged:
    case LeftChanged: changed = record.Left; break;
    case MissingLeftRightUnchanged:
    case MissingLeftRightChanged:
    case RightChanged: changed = record.Right; break;
    default: break;
    }
    if (changed) {
        reason.RecordedSize = changed->StateSize();
        reason.RecordedTime = changed->StateTime();
    }
    return reason;
}

void RowReason::StoreIn(ResultEntry &record) const
{
    record.ReasonCode = Why;
    record.ReasonFlags = Flags;
}

QString ReasonText(const RowRecord &row)
{
    if (row.Kind != 0 || row.Reason.Why == RowReason::None)
        return QString();
    QString proposal = Rule(row);
    if (row.Reason.Flags & RowReason::KindsDiffer)
        proposal += QStringLiteral(" (the other side holds a folder of this name)");
    proposal += Arrow + Travel(row.Action);

    const int32_t proposed = TravelsToLeft(row.Action) ? 1 : TravelsToRight(row.Action) ? 2 : 0;
    const QString way = row.Direction == 1 ? QStringLiteral("to left") : QStringLiteral("to right");
    if (row.CopyFailed)
        return QStringLiteral("The copy %1 failed in the last synchronisation. Proposed: ").arg(way) + proposal;
    if (row.Direction != 0 && row.DirectImage == RowImage::Same)
        return QStringLiteral("Copied %1 by the last synchronisation. Proposed: ").arg(way) + proposal;
    if (row.Direction == proposed)
        return proposal;
    if (row.Direction == 0)
        return QStringLiteral("Excluded by you. Proposed: ") + proposal;
    return QStringLiteral("Set by you to copy %1. Proposed: ").arg(way) + proposal;
}
