#include "tests/support/HandMadeResult.h"

#include "engine/SyncAction.h"

HandMadeResult::HandMadeResult()
{
    Left.SetFilePath(QStringLiteral("/l/"));
    Right.SetFilePath(QStringLiteral("/r/"));
    Root.Left = &Left;
    Root.Right = &Right;
    Root.PairIsFolder = 1;
}

ResultEntry *HandMadeResult::Add(ResultEntry &parent, const QString &title, int32_t action, bool folder)
{
    ResultEntry *record = parent.AddChild();
    record->ActionCode = int8_t(action);
    record->PairIsFolder = folder ? 1 : 0;
    const auto entry = [&](const FileEntry *side, FileEntry &root) {
        FileEntry *added = (side ? const_cast<FileEntry *>(side) : &root)->AddChild(title);
        added->IsFolder = folder ? 1 : 0;
        return added;
    };
    if (action != saRightOnly)
        record->Left = entry(parent.Left, Left);
    if (action != saLeftOnly)
        record->Right = entry(parent.Right, Right);
    return record;
}
