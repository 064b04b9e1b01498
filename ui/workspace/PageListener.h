#pragma once
#include "engine/EngineListener.h"

#include <QPointer>
#include <atomic>
#include <functional>

class QObject;

// Hands the engine's reports from the worker to a listener living on the interface
// thread, and waits until each has been handled, so the texts it carries stay valid.
// While detached (the page's owner is waiting for the worker to end) the worker no longer
// waits: the report is still delivered later, and the interface thread cannot deadlock.
class PageListener : public EngineListener {
public:
    // target is called on context's thread; both belong to the job page.
    PageListener(QObject *context, EngineListener &target) : m_context(context), m_target(target) {}

    void SetDetached(bool detached) { m_detached = detached; }

    void SyncProgress(int32_t wParam, int32_t lParam) override;
    void SyncConnectFailed(int32_t side) override;
    void SyncItem(int32_t kind, int32_t action, const EngineTexts &texts) override;
    void CopyRecovered(const QString &line) override;
    void Notice(const QString &line) override;
    // No, while detached: nobody is there to answer.
    bool AcceptServer(const ServerTrust &trust) override;
    std::optional<QString> AskPassphrase(const QString &keyFile) override;

private:
    void Deliver(std::function<void()> report);

    QPointer<QObject> m_context;
    EngineListener &m_target;
    std::atomic<bool> m_detached{false};
};
