#pragma once
#include "app/Settings.h"
#include "model/JobList.h"
#include "tests/support/TempConfigHome.h"
#include "tests/ui/RealJobPages.h"
#include "ui/workspace/JobPage.h"
#include "ui/workspace/MainWindow.h"

#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The main window over real job pages as a window test builds it: a configuration folder of
// its own, a fresh folder holding the program folder ("program/") and whatever the test puts
// beside it, the jobs, and the window once Make() made it. One per test function, made in
// init() and dropped in cleanup(): the window closes before the jobs go.
class MainWindowUnderTest {
public:
    MainWindowUnderTest() { QDir().mkpath(Path("program")); }
    ~MainWindowUnderTest()
    {
        if (Window)
            Window->close();
        Window.reset();
    }
    MainWindowUnderTest(const MainWindowUnderTest &) = delete;
    MainWindowUnderTest &operator=(const MainWindowUnderTest &) = delete;

    QString Path(const QString &rel) const { return Dir.filePath(rel); }

    // The window over the jobs, its pages saving in the program folder; not shown yet.
    MainWindow &Make()
    {
        Window = std::make_unique<MainWindow>(Jobs, ProgramSettings, Path("program") + "/",
                                              RealJobPages(Jobs, Power, Path("program")));
        return *Window;
    }
    // Shows the window made; false when it did not come on screen.
    bool Show()
    {
        Window->show();
        return QTest::qWaitForWindowExposed(Window.get());
    }

    template <class T> T *Find(const char *name) const
    {
        T *found = Window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    // The job page in front, or null when the window shows no job.
    JobPage *Shown() const { return Find<QStackedWidget>("Notebook1")->currentWidget()->findChild<JobPage *>(); }
    QString Status() const { return Shown()->findChild<QLabel *>("Label_ActionStatus")->text(); }

    TempConfigHome Config;
    QTemporaryDir Dir;
    JobList Jobs;
    Settings ProgramSettings;
    NoPower Power;
    std::unique_ptr<MainWindow> Window;
};
