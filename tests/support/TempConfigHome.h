#pragma once
#include <QString>
#include <QTemporaryDir>

// Points XDG_CONFIG_HOME at a fresh temporary folder while it lives, so that settings
// tests never touch the user's real configuration.
class TempConfigHome {
public:
    TempConfigHome() { qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8()); }
    ~TempConfigHome() { qunsetenv("XDG_CONFIG_HOME"); }
    TempConfigHome(const TempConfigHome &) = delete;
    TempConfigHome &operator=(const TempConfigHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
