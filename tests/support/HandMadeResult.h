#pragma once
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"

#include <QString>
#include <cstdint>

// A result tree made by hand, with the two listings its records point to: the left listing
// of folder "/l/", the right one of "/r/".
class HandMadeResult {
public:
    HandMadeResult();
    HandMadeResult(const HandMadeResult &) = delete;
    HandMadeResult &operator=(const HandMadeResult &) = delete;

    FileEntry Left;
    FileEntry Right;
    ResultEntry Root;

    // A record below parent with action: with a left entry unless the action is saRightOnly,
    // with a right one unless saLeftOnly, each below the parent's entry of its side.
    ResultEntry *Add(ResultEntry &parent, const QString &title, int32_t action, bool folder = false);
    // The listing entries of a record, to set their values.
    static FileEntry *LeftOf(ResultEntry &record) { return const_cast<FileEntry *>(record.Left); }
    static FileEntry *RightOf(ResultEntry &record) { return const_cast<FileEntry *>(record.Right); }
};
