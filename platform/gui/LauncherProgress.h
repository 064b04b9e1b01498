#pragma once
#include <QString>

// The program's taskbar entry showing a run's progress, through the Unity launcher API
// (com.canonical.Unity.LauncherEntry) that docks and panels of several desktops follow.
// Without a session bus nothing is sent. Interface thread only.
class LauncherProgress {
public:
    // desktopFile: the entry's desktop file name, the one the autostart entry has.
    explicit LauncherProgress(QString desktopFile = QStringLiteral("Corvane.desktop"))
        : m_appUri(QStringLiteral("application://") + desktopFile) {}

    // fraction from 0 to 1.
    void Show(double fraction);
    void Hide();

private:
    void Send(double fraction, bool visible);

    QString m_appUri;
    bool m_visible = false;
    int m_lastPermille = -1;
};
