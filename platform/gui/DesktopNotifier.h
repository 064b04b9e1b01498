#pragma once
#include <QObject>
#include <QSet>
#include <QString>

// Desktop notifications through the freedesktop Notifications service on the session bus.
// Without a session bus or a notification service nothing is shown and nothing waits.
// Interface thread only.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject *parent = nullptr);

    void Show(const QString &summary, const QString &body);

Q_SIGNALS:
    // The user clicked one of this notifier's notifications.
    void Clicked();

private Q_SLOTS:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);

private:
    // Ids the service gave our notifications; other programs' clicks are not ours.
    QSet<uint> m_shown;
};
