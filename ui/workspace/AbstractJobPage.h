#pragma once
#include <QWidget>
#include <functional>

// What the main window needs of a job's page. The page of job i lives on notebook page
// i + 1 until the program ends; the window only attaches, asks and stops it.
class AbstractJobPage : public QWidget {
public:
    using QWidget::QWidget;

    // Attaches the page to the job at this index of the job list and applies its start-up
    // options; called after the page is made and again after the job was edited.
    virtual void SetJob(int index) = 0;
    // An analysis or synchronisation of this page is running or waiting for its turn.
    virtual bool RunInProgress() const = 0;
    // Drops a waiting run, cancels the running one and returns once its thread has ended,
    // so the job and the page may be changed or freed afterwards. Interface thread only.
    virtual void CancelAndWait() = 0;
    // Drops a run of this page that waits for its turn; a running one goes on. The window
    // calls it on every page before cancelling any, so that ending one run cannot start
    // another that is about to be cancelled too.
    virtual void DropWaitingRun() {}
    // The page became the shown notebook page.
    virtual void PageShown() {}

    // The commands the window's menus and keys give the shown page.
    enum class Command { Analyze, Sync, Cancel, CopyToLeft, CopyToRight, DontCopy };
    // Whether the page would carry the command out now (its button or its rows allow it).
    virtual bool CanRun(Command) const { return false; }
    // Carries the command out when CanRun allows it; does nothing otherwise.
    virtual void RunCommand(Command) {}
    // Called whenever what CanRun answers may have changed (the window re-enables its menus).
    void SetCommandsChanged(std::function<void()> changed) { m_commandsChanged = std::move(changed); }
    // Called when the page changed its job itself (a side's folder chosen): the window
    // saves the jobs, as after any other change.
    void SetJobChanged(std::function<void()> changed) { m_jobChanged = std::move(changed); }
    // Called when the user asked to see this page from outside the window (a notification).
    void SetShowRequested(std::function<void()> show) { m_showRequested = std::move(show); }

protected:
    void CommandsChanged()
    {
        if (m_commandsChanged)
            m_commandsChanged();
    }
    void JobChanged()
    {
        if (m_jobChanged)
            m_jobChanged();
    }
    void ShowRequested()
    {
        if (m_showRequested)
            m_showRequested();
    }

private:
    std::function<void()> m_commandsChanged;
    std::function<void()> m_jobChanged;
    std::function<void()> m_showRequested;
};

// Makes the page of a job (the window then calls SetJob). The window owns the page.
using JobPageFactory = std::function<AbstractJobPage *(QWidget *parent)>;
