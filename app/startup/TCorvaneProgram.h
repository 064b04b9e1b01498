#pragma once
#include "app/TMyRegistryInfo.h"
#include "model/SyncTaskList.h"
#include "platform/gui/LogindPower.h"

#include <QString>
#include <memory>

class TDM;
class TMirelleFom;

// The running program: owns the settings, the job list and the main window, and starts them
// in their fixed order. Made after the application object; lives until the program ends.
class TCorvaneProgram {
public:
    // programFolder ends with "/"; the task list is programFolder + "tasklist.tkl".
    explicit TCorvaneProgram(const QString &programFolder);
    ~TCorvaneProgram();

    // Reads the settings, the jobs and shows the main window (with a message first when not
    // every job could be read); the silent update check, when set, starts once the window is
    // up. False when the program is to end at once.
    bool Start();
    // Start, then the event loop until the main window closes.
    int Run();

    TMirelleFom *Window() const { return m_window.get(); }
    TDM *DataModule() const { return m_dm.get(); }
    SyncTaskList &Tasks() { return m_tasks; }
    const TMyRegistryInfo &Settings() const { return m_settings; }

private:
    void CreateDataModule();
    QString TaskListPath() const;
    // Sets the file aside before a save could drop the jobs it holds that were not read.
    void KeepUnreadJobs(SyncTaskList::LoadResult result);

    QString m_programFolder;
    TMyRegistryInfo m_settings;
    SyncTaskList m_tasks;
    LogindPower m_power;  // used by the job pages after their runs
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TMirelleFom> m_window;
    QString m_keptUnreadAs;          // where the unread jobs are kept, once set aside
    bool m_keepingFailed = false;    // they could not be set aside: the file is not saved over
};
