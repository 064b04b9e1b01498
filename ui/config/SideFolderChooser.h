#pragma once
#include <functional>

class QString;
class QWidget;
struct JobSide;

// Shows the chooser for a side of kind deviceType (1 local folder, 3 FTP directory) on a
// copy of side; on OK the copy, with that kind, replaces side. With runInProgress given, an
// OK while the job's run is in progress is refused with a message and side stays as it was.
// False when side was not changed (also for any other kind).
bool ChooseSideFolder(QWidget *parent, JobSide &side, int deviceType,
                      const std::function<bool()> &runInProgress = {});

// The entries of the remote folder folderPath ("/pub/docs") of an FTP side, in the remote
// folder view, shown modally.
void ShowRemoteFolder(QWidget *parent, const QString &folderPath, const JobSide &side);
