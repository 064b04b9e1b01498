#pragma once
#include <QString>
#include <optional>

// Starting the program at logon: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/Corvane.desktop,
// whose Exec= starts one program given by its full path (quoted as desktop entries need,
// so any path survives). Interface thread only.
class RunAtLogon {
public:
    static QString EntryPath();
    // The program the entry starts, unquoted; empty when there is no entry (or the desktop
    // was told to skip it); none when the autostart folder does not exist or cannot be read.
    static std::optional<QString> Read();
    // Makes the entry start program; false when it could not be written.
    static bool Write(const QString &program);
    // True when no entry is left (also when there was none).
    static bool Remove();

    // Exec= value for one program path, and the program path back from an Exec= value.
    static QString ExecValue(const QString &program);
    static QString ProgramOfExec(const QString &value);
};
