#pragma once

class JobList;
class MainWindow;

// Makes the window's "Add new job" and "Edit this job" open the job editor over jobs.
// An edit is refused when the job's run is in progress, also when one starts while the
// editor is open.
void UseJobEditor(MainWindow &window, const JobList &jobs);
