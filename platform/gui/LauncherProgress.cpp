#include "platform/gui/LauncherProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>
#include <algorithm>

void LauncherProgress::Show(double fraction)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    // A signal per file would flood the bus at thousands of small files; a tenth of a
    // percent is finer than any taskbar draws.
    const int permille = int(fraction * 1000);
    if (m_visible && permille == m_lastPermille)
        return;
    m_lastPermille = permille;
    Send(fraction, true);
}

void LauncherProgress::Hide()
{
    if (!m_visible)
        return;
    m_lastPermille = -1;
    Send(0, false);
}

void LauncherProgress::Send(double fraction, bool visible)
{
    m_visible = visible;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/corvane"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    QVariantMap properties{{QStringLiteral("progress"), fraction}, {QStringLiteral("progress-visible"), visible}};
    update << m_appUri << properties;
    bus.send(update);
}
