#include "tests/support/RecordingListener.h"

void RecordingListener::Add(const QString &event)
{
    {
        std::lock_guard lock(m_mutex);
        m_events << event;
    }
    if (onEvent)
        onEvent(event);
}

void RecordingListener::SyncProgress(int32_t wParam, int32_t lParam)
{
    Add(QStringLiteral("P %1 %2").arg(wParam).arg(lParam));
}

void RecordingListener::SyncConnectFailed(int32_t side)
{
    Add(QStringLiteral("C %1").arg(side));
}

void RecordingListener::SyncItem(int32_t kind, int32_t action, const EngineTexts &texts)
{
    Add(QStringLiteral("I %1 %2 %3").arg(kind).arg(action).arg(texts.CurrentItem));
}

void RecordingListener::CopyRecovered(const QString &line)
{
    Add(QStringLiteral("R ") + line);
}

void RecordingListener::Notice(const QString &line)
{
    Add(QStringLiteral("N ") + line);
}

bool RecordingListener::AcceptServer(const ServerTrust &trust)
{
    Add(QStringLiteral("T ") + trust.fingerprint);
    return acceptServers;
}

std::optional<QString> RecordingListener::AskPassphrase(const QString &keyFile)
{
    Add(QStringLiteral("K ") + keyFile);
    if (passphrases.isEmpty())
        return std::nullopt;
    return passphrases.takeFirst();
}

QStringList RecordingListener::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

QStringList RecordingListener::Events(const QString &prefix) const
{
    std::lock_guard lock(m_mutex);
    QStringList out;
    for (const QString &e : m_events)
        if (e.startsWith(prefix))
            out << e;
    return out;
}
