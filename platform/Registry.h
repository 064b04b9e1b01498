#pragma once
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QSettings;

enum class RegistryHive { CurrentUser, LocalMachine };

// A registry key of one hive, kept in an INI file per hive under $XDG_CONFIG_HOME/Corvane/
// (read when the key is opened, so a test can point it elsewhere). Key paths are written
// as in the registry ("\Software\Corvane"); values are typed, string or DWORD, and a value
// read with the other type counts as absent. Key and value names may not contain "/" or
// "\"; the value name "@" is reserved (it marks a key that holds no values yet).
// Not thread-safe: settings are read and written on the interface thread.
class RegistryKey {
public:
    enum class ValueType { None, String, Dword };

    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // False when the key is missing (and create is false), the path is not a valid key
    // path, or the hive's file cannot be read, or with create, cannot be written.
    bool Open(RegistryHive hive, const QString &keyPath, bool create);
    void Close();
    bool IsOpen() const { return m_settings != nullptr; }

    bool ValueExists(const QString &name) const;
    ValueType TypeOf(const QString &name) const;
    std::optional<QString> ReadString(const QString &name) const;
    std::optional<uint32_t> ReadDword(const QString &name) const;
    // Each write reaches the file before it returns; false when it did not.
    bool WriteString(const QString &name, const QString &value);
    bool WriteDword(const QString &name, uint32_t value);
    // True when the value is gone afterwards (also when it never existed).
    bool DeleteValue(const QString &name);

    static bool KeyExists(RegistryHive hive, const QString &keyPath);
    // The INI file that holds the hive, e.g. ".../Corvane/HKEY_CURRENT_USER.ini".
    static QString HiveFilePath(RegistryHive hive);

private:
    std::optional<QString> RawValue(const QString &name) const;
    bool WriteRaw(const QString &name, const QString &data);

    std::unique_ptr<QSettings> m_settings;
    QString m_group;  // the key path as a QSettings group, "Software/Corvane"
};
