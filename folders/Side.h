#pragma once
#include "platform/ServerTrust.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

struct JobSide;
class FileEntry;
class FileFilter;
class FtpSession;
class TransferJournal;
struct ListingProgress;

// What a side shows at one path.
struct SideEntry {
    enum Kind { Missing, File, Other };  // Other: a folder, or anything that is not a file
    Kind Type = Missing;
    int32_t FileTime = 0;
    int64_t FileSize = 0;
    int32_t FileAttr = 0;
};

// One side of a job, a local folder or an FTP directory, as the analysis, the copy steps,
// the recovery of interrupted copies and the state files use it: each of those is written
// once for every kind of side, and a new kind plugs in here. Paths are the side's own
// (local paths, or absolute remote paths) and begin with Base(). Calls run on the thread
// of the run that uses the side.
class Side {
public:
    virtual ~Side() = default;

    // The access for a side of DeviceType 1 (local) or 3 (FTP, FTP over TLS or SFTP by its address); nullptr for other kinds.
    // keepsStateFile false: a side without a state file (a job's local right side).
    static std::unique_ptr<Side> For(const JobSide &side, bool keepsStateFile);

    bool IsLocal() const { return m_local; }
    // The folder every path of the side begins with: a local folder without a final "/",
    // or the remote base path ("" for the server's root).
    QString Base() const { return m_base; }
    // 0 when the side can be used (the folder exists, the server took the login).
    virtual int32_t Reach() = 0;
    // After a failed Reach: what the server showed to prove who it is, when nothing the user
    // trusts vouches for it yet; the user may accept it (Trust) and Reach again.
    virtual std::optional<ServerTrust> Untrusted() const { return std::nullopt; }
    // Keeps an accepted certificate or host key for every later run; false when not kept.
    virtual bool Trust(const ServerTrust &trust) { (void)trust; return false; }
    // After a failed Reach: the key file that needs a passphrase (none given, or a wrong
    // one); empty otherwise. The passphrase is then given with UsePassphrase and Reach tried again.
    virtual QString LockedKeyFile() const { return {}; }
    virtual void UsePassphrase(const QString &passphrase) { (void)passphrase; }
    // False when a folder could not be read for another reason than being gone (a lost
    // connection, a refused login, an error reply, a cancel): failedFolder then names it and
    // FailureReason() says why. What was read stays in root.
    virtual bool List(FileEntry &root, const FileFilter &filter, QString &failedFolder) = 0;
    // Once reached: the side's other connections to its server log in meanwhile, ready for
    // the listing. Whoever calls it calls FtpSessionPool::JoinOpening before its cancel
    // flag goes.
    virtual void OpenConnectionsAhead() {}
    // The bytes the side's transfers move are added to meter as they go (null: no more).
    virtual void SetMeter(std::atomic<int64_t> *meter) { (void)meter; }
    // Where List counts the folders it read and the files it kept (not owned; may be null).
    void SetListingProgress(ListingProgress *progress) { m_listingProgress = progress; }
    // A line for the run's log about how the last List went about its work (a server that
    // took fewer connections than asked), once; empty when there is nothing to say.
    virtual QString TakeNotice() { return {}; }
    virtual SideEntry Probe(const QString &path) = 0;
    // The file at path as the listing the walk follows showed it (see KeepFolderListings),
    // to record a file read from this side; a probe where the side kept no listing.
    virtual SideEntry ListedEntry(const QString &path) { return Probe(path); }
    // Creates the missing folders of relativePath's folder part ("/a/b/f.txt": a, a/b).
    // Returns the highest folder it made (the others it made are below it), or empty.
    virtual QString MakeFolders(const QString &relativePath) = 0;
    // Called before a walk over many files, folder by folder. listed: the analysis's listing
    // of this side that the walk follows, or null. From then on the side may read a folder
    // once and answer probes there from that reading and its own changes since, and take a
    // file's time and size from listed rather than ask again.
    virtual void KeepFolderListings(const FileEntry *listed) { (void)listed; }

    // The side's file at path into the local file localTarget, created or replaced.
    virtual bool ReadTo(const QString &path, const QString &localTarget) = 0;
    // The local file localSource to path on this side, created or replaced.
    virtual bool WriteFrom(const QString &localSource, const QString &path) = 0;
    // Fails when to exists already.
    virtual bool Rename(const QString &from, const QString &to) = 0;
    virtual bool Delete(const QString &path) = 0;
    // path + ".p", or the first free path + ".p" + n (on a server, n up to 99); empty when
    // no free name is found.
    virtual QString FreeAsideName(const QString &path);
    // A name beside path that nothing bears yet, for a copy under way; empty when none is
    // found.
    virtual QString FreeTemporaryName(const QString &path);

    // Records the file at path, as seen, in the side's state tree.
    virtual void Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot) = 0;
    // Records the file just written at path as the side shows it now. A side may read the
    // time and size later, for several files at once, but before its next SaveState.
    virtual void RecordWritten(const QString &path, FileEntry &stateRoot) { Record(path, Probe(path), stateRoot); }
    // Reads now, on this access's own connection, what RecordWritten left for later; the
    // sibling accesses of a side may do it at the same time, each taking other folders.
    virtual void RecordWrittenNow() {}
    // The side's state file of the job; a missing, damaged or unkept one leaves root empty.
    virtual void LoadState(const QString &syncName, FileEntry &root) = 0;
    // Sets root's Title to the side's folder and writes it, through journal where the write
    // is a copy that could be interrupted; false when not written (a side without a state
    // file writes nothing).
    virtual bool SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal) = 0;

    // Why the side's last failed operation failed, in words a user can act on
    // ("cannot write /data/a.txt: Permission denied", "530 Login incorrect.").
    virtual QString FailureReason() const = 0;
    // Whether the last failed ReadTo or WriteFrom failed at the local file it was given (the
    // target it writes, the source it reads) rather than at the side's own file.
    virtual bool FailedAtGivenFile() const = 0;
    // Whether the side is out of reach: its connection was lost and could not be made again.
    virtual bool Lost() const { return false; }
    // Removes the folder at path when it is empty; false when it is not, or not removed.
    virtual bool RemoveEmptyFolder(const QString &path) { (void)path; return false; }

    // Another access to this side for a thread of its own, so that copies run on several
    // threads at once: it shares what this access knows of the side (kept listings, state
    // records) and, on a server, talks over connection (reached with Reach). nullptr when
    // the side works on one thread only. This access and its siblings may then be used at
    // the same time; the state trees they record into are locked by the side.
    virtual std::unique_ptr<Side> Sibling(FtpSession &connection) { (void)connection; return nullptr; }
    // Whether the right side's siblings talk over the process's FTP connections, so that
    // a run may copy on several of them at once.
    virtual bool CopiesOnFtpConnections() const { return false; }

protected:
    Side(bool local, const QString &base) : m_local(local), m_base(base) {}
    // Whether anything bears path on the side, as the free names ask; a side that cannot
    // tell says yes, so that a name is used only when the side says it is free.
    virtual bool Taken(const QString &path) = 0;

    ListingProgress *m_listingProgress = nullptr;

private:
    bool m_local;
    QString m_base;
};
