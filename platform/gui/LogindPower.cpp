#include "platform/gui/LogindPower.h"

#include <QDBusConnection>
#include <QDBusMessage>

void LogindPower::shutDown()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    // false: no interactive authorisation; a run left alone must not wait for a password
    // prompt. A refusal is not reported, as on a machine that denies the privilege.
    call << false;
    bus.call(call, QDBus::NoBlock);
}
