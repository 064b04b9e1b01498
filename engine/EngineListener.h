#pragma once
#include "platform/ServerTrust.h"

#include <QString>
#include <cstdint>
#include <optional>

// The texts and counters that go with the engine's messages. The worker sets them just
// before it reports; a listener reads them while it handles the report (the worker waits).
struct EngineTexts {
    QString CurrentItem;
    QString CurrentLeftPath;
    QString CurrentRightPath;
    int32_t ErrorCount = 0;
    int32_t SyncedCount = 0;
    // With a failed copy (item kinds 0 and 1): where and why it failed, one log line.
    QString FailureReason;
};

// How the analysis and the synchronisation report to whoever started them. Called on the
// worker thread; an implementation that forwards to another thread must block until the
// event has been handled, so the texts cannot change underneath it.
class EngineListener {
public:
    // Message numbers of the three reports.
    static constexpr int WM_SYNC_PROGRESS = 0x40C;
    static constexpr int WM_SYNC_CONNECT_FAILED = 0x40D;
    static constexpr int WM_SYNC_ITEM = 0x40E;

    // Item event kinds.
    static constexpr int32_t ItemReadFailed = 0;    // right to left copy failed
    static constexpr int32_t ItemWriteFailed = 1;   // left to right copy failed
    static constexpr int32_t ItemUploadStarts = 2;  // left to right copy starts
    static constexpr int32_t ItemDownloadStarts = 3;  // right to left copy starts
    static constexpr int32_t ItemSucceeded = 4;

    virtual ~EngineListener() = default;
    // wParam non-zero: start event carrying the total; 0: progress, lParam items done so far.
    virtual void SyncProgress(int32_t wParam, int32_t lParam) = 0;
    // side 1: left unreachable; 2: right (or both) unreachable.
    virtual void SyncConnectFailed(int32_t side) = 0;
    // action is the item's action code for kind 4, otherwise 0.
    virtual void SyncItem(int32_t kind, int32_t action, const EngineTexts &texts) = 0;
    // A copy that an earlier, interrupted run left behind was finished or undone before
    // this run read anything; line is the log line for it (one per file).
    virtual void CopyRecovered(const QString &line) { Q_UNUSED(line); }
    // A line for the log on how the run goes about its work (a server that took fewer
    // connections than asked); the run goes on.
    virtual void Notice(const QString &line) { Q_UNUSED(line); }
    // A server proved itself with a certificate or host key nothing vouches for yet: true
    // when the user accepts it. The worker waits for the answer; without a person to ask, no.
    virtual bool AcceptServer(const ServerTrust &trust) { Q_UNUSED(trust); return false; }
    // The key file keyFile is locked: the passphrase the user types, or nullopt when the user
    // cancels. Used for this run and not stored. The worker waits; without a person, nullopt.
    virtual std::optional<QString> AskPassphrase(const QString &keyFile) { Q_UNUSED(keyFile); return std::nullopt; }
};
