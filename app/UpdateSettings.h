#pragma once
#include <QString>
#include <optional>

// The two settings that the main program and the updater share, under the settings key of
// the current user: "Version" (the installed version text) and "UpdateURL" (the folder on
// the update web server that holds "Update.ini" and the files it lists).

// The stored "Version" text; nullopt when the settings key cannot be opened or created.
std::optional<QString> ReadInstalledVersion();
// Creates the key when missing; false when the value did not reach the settings file.
bool WriteInstalledVersion(const QString &version);

// "UpdateURL", trimmed and ending with "/"; empty when unset. There is no built-in host.
QString ReadUpdateFolderURL();
