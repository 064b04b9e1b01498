#include "folders/SafeCopy.h"

#include "folders/KeepAside.h"
#include "folders/Side.h"
#include "folders/TransferJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace SafeCopy {

namespace {

using Entry = TransferJournal::Entry;

// A name that is gone already counts as removed: a transfer may fail before it creates it.
// A side out of reach cannot tell, and its entry stays in the journal for the next run.
bool Removed(Side &side, const QString &path)
{
    return side.Delete(path) || (side.Probe(path).Type == SideEntry::Missing && !side.Lost());
}

}  // namespace

bool Copy(Side &source, const QString &sourcePath, Side &target, const QString &targetPath,
          TransferJournal *journal, const QString &targetFolder, Failure *failure)
{
    QString temporary;
    // The user knows the target's own name, not the temporary one the copy wrote.
    const auto failed = [&](Side &at, const QString &reason) {
        if (failure)
            *failure = {&at, temporary.isEmpty() ? reason : QString(reason).replace(temporary, targetPath)};
        return false;
    };
    const auto failedAt = [&](Side &at) { return failed(at, at.FailureReason()); };
    if (!source.IsLocal() && !target.IsLocal())
        return false;
    const SideEntry existing = target.Probe(targetPath);
    // A folder or anything else that is not a file is never replaced by a file.
    if (existing.Type == SideEntry::Other)
        return failed(target, QStringLiteral("not a file: ") + targetPath);
    QString aside;
    if (existing.Type == SideEntry::File) {
        aside = target.FreeAsideName(targetPath);
        // Without a place to keep the previous copy, nothing is risked.
        if (aside.isEmpty())
            return failed(target, QStringLiteral("no free name to keep the previous copy of ") + targetPath);
    }
    temporary = target.FreeTemporaryName(targetPath);
    if (temporary.isEmpty())
        return failed(target, QStringLiteral("no free temporary name beside ") + targetPath);

    Entry entry{targetFolder, targetPath, temporary, aside, false};
    // A journal that cannot be written (a read-only left folder) does not stop the copy:
    // the target's name is still never partial, only a leftover would not be recovered.
    const bool journalled = journal && journal->Add(entry);
    auto close = [&](bool clean) {
        if (journalled && clean)
            journal->Remove(entry);
    };

    const bool written = target.IsLocal() ? source.ReadTo(sourcePath, temporary)
                                          : target.WriteFrom(sourcePath, temporary);
    if (!written) {
        // The side that ran the transfer says why; its failure may lie at the other's file.
        Side &ran = target.IsLocal() ? source : target;
        Side &other = target.IsLocal() ? target : source;
        failed(ran.FailedAtGivenFile() ? other : ran, ran.FailureReason());
        close(Removed(target, temporary));
        return false;
    }
    // Without a previous copy the rename is the whole swap: an entry still marked "copying"
    // is recovered the same way, and one disk write per file is saved.
    if (journalled && !aside.isEmpty()) {
        Entry swapping = entry;
        swapping.Swapping = true;
        if (journal->Replace(entry, swapping))
            entry = swapping;
    }
    if (!aside.isEmpty() && !target.Rename(targetPath, aside)) {
        failedAt(target);
        close(Removed(target, temporary));
        return false;
    }
    if (!target.Rename(temporary, targetPath)) {
        failedAt(target);
        const bool back = aside.isEmpty() || target.Rename(aside, targetPath);
        close(Removed(target, temporary) && back);
        return false;
    }
    close(aside.isEmpty() || target.Delete(aside));
    return true;
}

bool SaveCopy(Side &side, const QString &path, const QString &localTarget)
{
    if (!QDir().mkpath(QFileInfo(localTarget).absolutePath()))
        return false;
    QString temporary;
    do
        temporary = KeepAside::TemporaryCandidate(localTarget);
    while (KeepAside::LocalExists(temporary));
    // rename() replaces the previous saved copy in one step.
    if (side.ReadTo(path, temporary)
        && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(localTarget).constData()) == 0)
        return true;
    QFile::remove(temporary);
    return false;
}

QString UndoneText(const QString &target)
{
    return QStringLiteral("Interrupted copy undone, the previous file kept: ") + target;
}

QString FinishedText(const QString &target)
{
    return QStringLiteral("Interrupted copy completed: ") + target;
}

void Recover(TransferJournal &journal, Side &left, const QString &leftFolder, Side &right,
             const QString &rightFolder, const std::function<void(const QString &)> &note)
{
    const QList<Entry> entries = journal.Entries();
    for (const Entry &e : entries) {
        Side *side = e.Folder == leftFolder ? &left : e.Folder == rightFolder ? &right : nullptr;
        if (!side)
            continue;
        const bool temporaryThere = side->Probe(e.Temporary).Type != SideEntry::Missing;
        bool ok = !temporaryThere || side->Delete(e.Temporary);
        QString line;
        if (e.Swapping) {
            const bool targetThere = side->Probe(e.Target).Type != SideEntry::Missing;
            const bool asideThere = !e.Aside.isEmpty() && side->Probe(e.Aside).Type != SideEntry::Missing;
            if (!temporaryThere && targetThere) {
                // The new content reached its name; only the previous copy was left over.
                if (asideThere)
                    ok = side->Delete(e.Aside) && ok;
                line = FinishedText(e.Target);
            } else {
                if (asideThere && !targetThere)
                    ok = side->Rename(e.Aside, e.Target) && ok;
                line = UndoneText(e.Target);
            }
        } else if (temporaryThere) {
            line = UndoneText(e.Target);
        }
        // What could not be cleaned up stays in the journal for the next run.
        if (ok)
            journal.Remove(e);
        if (!line.isEmpty() && note)
            note(line);
    }
}

}  // namespace SafeCopy
