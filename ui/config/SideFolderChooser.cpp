#include "ui/config/SideFolderChooser.h"

#include "model/TFolderSource.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/UChooseRoForm.h"
#include "ui/config/UFTPChooseRoForm.h"
#include "ui/config/UFTPContentsForm.h"

namespace {

template <class Chooser>
bool choose(QWidget *parent, TFolderSource &side, const std::function<bool()> &runInProgress)
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

bool ChooseSideFolder(QWidget *parent, TFolderSource &side, int deviceType, const std::function<bool()> &runInProgress)
{
    if (deviceType == 1)
        return choose<TChooseRoForm>(parent, side, runInProgress);
    if (deviceType == 3)
        return choose<TFTPChooseRoForm>(parent, side, runInProgress);
    return false;
}

void ShowRemoteFolder(QWidget *parent, const QString &folderPath, const TFolderSource &side)
{
    TFTPContentsForm view(parent);
    view.SetFolder(folderPath, side);
    view.exec();
}
