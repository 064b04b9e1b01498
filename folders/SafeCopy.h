#pragma once
#include <QString>
#include <functional>

class Side;
class TransferJournal;

// Copies between two sides such that the target's name never holds a partial file: the new
// content goes to a temporary name beside the target, the previous copy is set aside under
// its keep-aside name, the temporary file is renamed into place and the keep-aside copy
// deleted; a failure at any step puts the previous copy back. Each step that can leave
// something behind is written to the journal first, so that a process killed at any point
// is finished or undone by Recover at the next run.
namespace SafeCopy {

// Why a copy failed: the side where it failed (the source or the target) and the reason.
struct Failure {
    Side *At = nullptr;
    QString Reason;
};

// Copies source's file at sourcePath to targetPath on target. One of the two sides must be
// local. targetFolder names the target side in the journal (its folder as configured);
// journal may be null (nothing to recover then beyond a leftover temporary file). failure,
// when given, is filled when the copy fails.
bool Copy(Side &source, const QString &sourcePath, Side &target, const QString &targetPath,
          TransferJournal *journal, const QString &targetFolder, Failure *failure = nullptr);

// Copies the side's file at path to the local file localTarget, replacing a previous one
// only when the copy is complete; creates localTarget's folders.
bool SaveCopy(Side &side, const QString &path, const QString &localTarget);

// Finishes or undoes every copy the journal names for a side whose folder is leftFolder or
// rightFolder, and tells each one to note (one line per file). Entries of other folders
// stay in the journal. Only the names the journal holds are touched.
void Recover(TransferJournal &journal, Side &left, const QString &leftFolder, Side &right,
             const QString &rightFolder, const std::function<void(const QString &line)> &note);

// The lines Recover notes.
QString UndoneText(const QString &target);
QString FinishedText(const QString &target);

}  // namespace SafeCopy
