#pragma once
#include <QString>

class Job;
struct JobSide;

// Where a job's files and state files are, built in one place for the analysis and the
// synchronisation. Local folders are given without a trailing "/"; remote paths begin with
// the remote base path.
namespace SidePaths {

constexpr int DeviceLocal = 1;
constexpr int DeviceFtp = 3;

// A local side's folder without trailing "/" ("" for the file system root).
QString LocalBase(const JobSide &side);
// The folder that paths of the side begin with: LocalBase or the FTP remote base path.
QString SideBase(const JobSide &side);
// The left side's state file.
QString LeftStateFile(const Job &job);
// The job's journal of copies under way and its lock against a second program, both kept
// where the left state file lives.
QString JournalFile(const Job &job);
QString LockFile(const Job &job);
// The right side's state folder on the server, ending in "/".
QString RemoteStateFolder(const JobSide &side);
// path without its leading base; "/" put in front when missing.
QString RelativeTo(const QString &path, const QString &base);
// False when a relative path names no file or steps through "." or "..": a server may list
// such names, and a path built from one would lead out of the folder it is meant for.
bool StaysInside(const QString &relative);
// Folder of saved server copies of the job.
QString SaveFolder(const QString &programFolder, const Job &job);

}  // namespace SidePaths
