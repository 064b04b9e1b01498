#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// Values of the program's settings key (\Software\Corvane of the current user), for tests that
// prepare or check them; use with TempConfigHome.
namespace TestSettings {

bool WriteString(const QString &name, const QString &value);
bool WriteDword(const QString &name, uint32_t value);
bool Remove(const QString &name);
// nullopt when the key or the string value is missing.
std::optional<QString> ReadString(const QString &name);

}  // namespace TestSettings
