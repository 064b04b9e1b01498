#pragma once
#include <QString>

// The content of one local file copied into another.
namespace LocalCopy {

// Writes source's content to target (created or truncated). The copy keeps the source's
// last-write time: a local right side has no state file, and a fresh time would make the
// next analysis copy the file back. A failed copy removes what it wrote; why (when given)
// then says which file failed and the system's reason, atTarget whether it was the target.
bool CopyContent(const QString &source, const QString &target, QString *why = nullptr, bool *atTarget = nullptr);

}  // namespace LocalCopy
