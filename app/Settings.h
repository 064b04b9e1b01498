#pragma once
#include <QString>
#include <cstdint>

// Program-wide settings, read once at start-up. The main program owns the one instance;
// until LoadSettings has filled it every field is empty, false or 0.
struct Settings {
    bool CheckUpdate = false;  // run the update check at start-up
    QString HelpURL;
    QString HomePage;
    int32_t len_up = 0;
    int32_t len_down = 0;
    // Control connections a run may open to one FTP server at once (1: one at a time).
    int32_t FtpConnections = 0;
};

// Fills info from the settings key of the current user, creating the key and writing the
// default of every missing value. When the key cannot be opened, info is left as it was.
void LoadSettings(Settings &info);
// The "FtpConnections" value alone, read without creating or writing anything (for
// corvane-cli, which leaves the settings as they are); its default when missing.
int32_t ReadFtpConnections();

// Which runs that started on their own (a schedule, start-up, a period timer) and ended
// while the window was out of sight say so with a desktop notification ("RunEndNotice").
enum class RunEndNotice : uint32_t { Always = 0, FailuresOnly = 1, Off = 2 };
RunEndNotice ReadRunEndNotice();
// False when the settings could not be written.
bool WriteRunEndNotice(RunEndNotice choice);
