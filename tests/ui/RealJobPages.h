#pragma once
#include "model/JobList.h"
#include "platform/gui/Power.h"
#include "ui/workspace/JobPage.h"

// A power-off that does nothing: a test's run must never end the machine.
class NoPower : public Power {
public:
    void shutDown() override {}
};

// The window's real job pages over jobs, their runs keeping what they save in programFolder.
inline JobPageFactory RealJobPages(JobList &jobs, Power &power, const QString &programFolder)
{
    return [&jobs, &power, programFolder](QWidget *parent) -> AbstractJobPage * {
        auto *page = new JobPage(jobs, power, parent);
        page->SetProgramFolder(programFolder);
        return page;
    };
}
