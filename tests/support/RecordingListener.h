#pragma once
#include "engine/EngineListener.h"

#include <QStringList>
#include <functional>
#include <mutex>

// Records the engine's reports as short texts, in order: "P w l" for progress, "C side" for a
// connect failure, "I kind action item" for an item event. onEvent runs after each record
// (tests use it to cancel a run at a given point).
class RecordingListener : public EngineListener {
public:
    void SyncProgress(int32_t wParam, int32_t lParam) override;
    void SyncConnectFailed(int32_t side) override;
    void SyncItem(int32_t kind, int32_t action, const EngineTexts &texts) override;
    // Recorded as "R line".
    void CopyRecovered(const QString &line) override;
    // Recorded as "N line".
    void Notice(const QString &line) override;
    // Recorded as "T fingerprint"; answered with acceptServers.
    bool AcceptServer(const ServerTrust &trust) override;
    // Recorded as "K keyFile"; answered with the first of passphrases not used yet, or nullopt.
    std::optional<QString> AskPassphrase(const QString &keyFile) override;

    QStringList Events() const;
    // Only the events that start with prefix.
    QStringList Events(const QString &prefix) const;

    std::function<void(const QString &event)> onEvent;
    bool acceptServers = false;
    QStringList passphrases;

private:
    void Add(const QString &event);

    mutable std::mutex m_mutex;
    QStringList m_events;
};
