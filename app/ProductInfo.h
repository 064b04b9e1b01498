#pragma once

// Fixed facts of this build, shared by the settings, the update check and the updater.
namespace ProductInfo {

inline constexpr char Name[] = "Corvane";
inline constexpr char InstalledVersion[] = "3.1.135";
// Registry key (current user) of the program-wide settings.
inline constexpr char SettingsKey[] = "\\Software\\Corvane";
inline constexpr char DefaultHelpURL[] = "http://www.corvane.example/help/";
inline constexpr char DefaultHomePage[] = "http://www.corvane.example/";
// The two programs of the program folder and the update description they share.
inline constexpr char MainProgram[] = "Corvane";
inline constexpr char UpdaterProgram[] = "Update";
inline constexpr char UpdateDescription[] = "Update.ini";

}  // namespace ProductInfo
