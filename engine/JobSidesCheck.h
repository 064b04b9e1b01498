#pragma once
#include <QString>

class Job;

// The engine reads and copies only a local left folder and a right folder that is local or
// on an FTP server. A task list edited by hand may name another kind; such a side would read
// as empty and its copies could never be made, so the job is refused before it runs.
bool HasSupportedSides(const Job &job);
// The log line of a job refused for the kind of one of its sides.
QString UnsupportedSidesText(const Job &job);
