#pragma once
#include <QString>

// File copies between two local folders, for jobs whose right side is a local folder.
// They behave like the FTP transfers: the copy they replace is set aside and put back when
// the copy fails.
class TLocalCopy {
public:
    // Copies source to target. An existing target is renamed to a free keep-aside name
    // first, deleted after a good copy and renamed back after a failed one. The copy keeps
    // the source's last-write time: a local side has no state file, and a fresh time would
    // make the next analysis copy the file back.
    static bool CopyReplacing(const QString &source, const QString &target);
    // Copies source to target, creating target's folders and replacing a previous saved
    // copy (used for the saved versions of replaced files).
    static bool SaveCopy(const QString &source, const QString &target);

private:
    static bool CopyContent(const QString &source, const QString &target);
};
