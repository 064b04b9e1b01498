#include "ui/workspace/PageListener.h"

#include <QMetaObject>
#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <memory>

namespace {
// How often a waiting worker looks whether its page stopped waiting for it.
constexpr int DetachPollMs = 20;
}

void PageListener::Deliver(std::function<void()> report)
{
    QObject *context = m_context.data();
    if (!context)
        return;
    if (QThread::currentThread() == context->thread()) {
        report();
        return;
    }
    auto handled = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        context, [report = std::move(report), handled] {
            report();
            handled->release();
        },
        Qt::QueuedConnection);
    while (!handled->tryAcquire(1, DetachPollMs))
        if (m_detached.load())
            return;
}

void PageListener::SyncProgress(int32_t wParam, int32_t lParam)
{
    Deliver([this, wParam, lParam] { m_target.SyncProgress(wParam, lParam); });
}

void PageListener::SyncConnectFailed(int32_t side)
{
    Deliver([this, side] { m_target.SyncConnectFailed(side); });
}

void PageListener::CopyRecovered(const QString &line)
{
    Deliver([this, line] { m_target.CopyRecovered(line); });
}

void PageListener::Notice(const QString &line)
{
    Deliver([this, line] { m_target.Notice(line); });
}

void PageListener::SyncItem(int32_t kind, int32_t action, const EngineTexts &texts)
{
    Deliver([this, kind, action, texts] { m_target.SyncItem(kind, action, texts); });
}

std::optional<QString> PageListener::AskPassphrase(const QString &keyFile)
{
    auto answer = std::make_shared<std::optional<QString>>();
    Deliver([this, keyFile, answer] { *answer = m_target.AskPassphrase(keyFile); });
    return *answer;
}

bool PageListener::AcceptServer(const ServerTrust &trust)
{
    auto accepted = std::make_shared<std::atomic<bool>>(false);
    Deliver([this, trust, accepted] { *accepted = m_target.AcceptServer(trust); });
    return *accepted;
}
