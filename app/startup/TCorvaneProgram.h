#pragma once
#include "app/TMyRegistryInfo.h"
#include "model/SyncTaskList.h"
#include "platform/gui/LogindPower.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TMirelleFom;

// The running program: owns the settings, the job list and the main window, and starts them
// in their fixed order. Made after the application object; lives until the program ends.
class TCorvaneProgram {
public:
    // programFolder ends with "/"; the task list is programFolder + "tasklist.tkl".
    explicit TCorvaneProgram(const QString &programFolder);
    ~TCorvaneProgram();

    // Reads the settings, the jobs and shows the main window (with a message first when not
    // every job could be read). False when the program is to end at once.
    bool Start();
    // Start, then the event loop until the main window closes.
    int Run();

    TMirelleFom *Window() const { return m_window.get(); }
    SyncTaskList &Tasks() { return m_tasks; }
    const TMyRegistryInfo &Settings() const { return m_settings; }

private:
    bool CreateDataModule();
    QString TaskListPath() const;
    // Sets the file aside before a save could drop the jobs it holds that were not read.
    void KeepUnreadJobs(SyncTaskList::LoadResult result);

    QString m_programFolder;
    TMyRegistryInfo m_settings;
    // The silent update check that the options dialog's "check update now" runs; set by the
    // data module, empty while there is none.
    std::function<void(QWidget *parent)> m_checkForUpdateNow;
    SyncTaskList m_tasks;
    LogindPower m_power;  // used by the job pages after their runs
    std::unique_ptr<TMirelleFom> m_window;
    QString m_keptUnreadAs;          // where the unread jobs are kept, once set aside
    bool m_keepingFailed = false;    // they could not be set aside: the file is not saved over
};
