#include "ui/config/SideFolderChooser.h"

#include "model/JobSide.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/RemoteFolderDialog.h"

namespace {

template <class Chooser>
bool choose(QWidget *parent, JobSide &side, const std::function<bool()> &runInProgress)
{
    Chooser chooser(parent);
    chooser.SetFolderSource(side);
    chooser.exec();
    if (!chooser.Result())
        return false;
    // A period tick or a start-up option may have started a run while the chooser was open.
    if (runInProgress && runInProgress()) {
        ConfigMessages::Inform(parent, ConfigMessages::JobRunning());
        return false;
    }
    side = chooser.FolderSource();
    return true;
}

}  // namespace

bool ChooseSideFolder(QWidget *parent, JobSide &side, int deviceType, const std::function<bool()> &runInProgress)
{
    if (deviceType == 1)
        return choose<LocalFolderChooser>(parent, side, runInProgress);
    if (deviceType == 3)
        return choose<FtpFolderChooser>(parent, side, runInProgress);
    return false;
}

void ShowRemoteFolder(QWidget *parent, const QString &folderPath, const JobSide &side)
{
    RemoteFolderDialog view(parent);
    view.SetFolder(folderPath, side);
    view.exec();
}
