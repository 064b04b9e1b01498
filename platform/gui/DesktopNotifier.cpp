#include "platform/gui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
}  // namespace

DesktopNotifier::DesktopNotifier(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(ActionInvoked(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
}

void DesktopNotifier::Show(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    // "default" is the action of a click on the notification itself.
    call << QStringLiteral("Corvane") << uint(0) << QStringLiteral("folder-sync") << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << QVariantMap() << int32_t(-1);
    // Asynchronous: a service that is missing or hangs must not hold up the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isValid())
            m_shown.insert(reply.value());
        done->deleteLater();
    });
}

void DesktopNotifier::ActionInvoked(uint id, const QString &action)
{
    if (action == QLatin1String("default") && m_shown.contains(id))
        Q_EMIT Clicked();
}

void DesktopNotifier::NotificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    m_shown.remove(id);
}
