#pragma once
#include "app/Settings.h"
#include "model/JobList.h"
#include "platform/gui/LogindPower.h"

#include <QString>
#include <memory>

class UpdateCheck;
class MainWindow;

// The running program: owns the settings, the job list and the main window, and starts them
// in their fixed order. Made after the application object; lives until the program ends.
class CorvaneProgram {
public:
    // programFolder ends with "/"; the task list is programFolder + "tasklist.tkl".
    explicit CorvaneProgram(const QString &programFolder);
    ~CorvaneProgram();

    // Reads the settings, the jobs and shows the main window (with a message first when not
    // every job could be read); the silent update check, when set, starts once the window is
    // up. False when the program is to end at once.
    bool Start();
    // Start, then the event loop until the main window closes.
    int Run();

    MainWindow *Window() const { return m_window.get(); }
    // A termination request (SIGTERM, the session ending): closes every open message box and
    // dialog as its Cancel does, then the window as its close box does, so the program ends
    // with the jobs saved; before the window exists, the event loop is left.
    void Terminate();
    UpdateCheck *Updates() const { return m_updateCheck.get(); }
    JobList &Jobs() { return m_jobs; }
    const Settings &ProgramSettings() const { return m_settings; }

private:
    void CreateUpdateCheck();
    QString TaskListPath() const;
    // Sets the file aside before a save could drop the jobs it holds that were not read.
    void KeepUnreadJobs(JobList::LoadResult result);

    QString m_programFolder;
    Settings m_settings;
    JobList m_jobs;
    LogindPower m_power;  // used by the job pages after their runs
    std::unique_ptr<UpdateCheck> m_updateCheck;
    std::unique_ptr<MainWindow> m_window;
    QString m_keptUnreadAs;          // where the unread jobs are kept, once set aside
    bool m_keepingFailed = false;    // they could not be set aside: the file is not saved over
};
