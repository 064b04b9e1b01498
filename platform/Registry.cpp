#include "platform/Registry.h"

#include "platform/ConfigHome.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace {

// Entry that records a key created without values: QSettings drops empty groups.
const QString KeyMarker = QStringLiteral("@");
const QString StringTag = QStringLiteral("sz:");
const QString DwordTag = QStringLiteral("dword:");

// "\Software\Corvane" -> "Software/Corvane"; empty for a path that names no key.
QString GroupOf(const QString &keyPath)
{
    const QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString &p : parts)
        if (p.contains(QLatin1Char('/')))
            return {};
    return parts.join(QLatin1Char('/'));
}

bool UsableValueName(const QString &name)
{
    return !name.isEmpty() && name != KeyMarker && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\'));
}

bool GroupHasContent(QSettings &s)
{
    return !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
}

std::optional<uint32_t> ParseDword(const QString &data)
{
    if (!data.startsWith(DwordTag))
        return std::nullopt;
    bool ok = false;
    const qulonglong v = data.mid(DwordTag.size()).toULongLong(&ok, 16);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return uint32_t(v);
}

}  // namespace

RegistryKey::RegistryKey() = default;

RegistryKey::~RegistryKey()
{
    Close();
}

QString RegistryKey::HiveFilePath(RegistryHive hive)
{
    const QString file = hive == RegistryHive::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER.ini")
                                                           : QStringLiteral("HKEY_LOCAL_MACHINE.ini");
    return ConfigHomeFolder() + QStringLiteral("/Corvane/") + file;
}

bool RegistryKey::Open(RegistryHive hive, const QString &keyPath, bool create)
{
    Close();
    const QString group = GroupOf(keyPath);
    if (group.isEmpty())
        return false;

    const QString path = HiveFilePath(hive);
    const QFileInfo fi(path);
    if (fi.exists() && (!fi.isFile() || !fi.isReadable()))
        return false;
    if (create) {
        if (!QDir().mkpath(fi.absolutePath()))
            return false;
        if (fi.exists() && !fi.isWritable())
            return false;
    }

    auto s = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (s->status() != QSettings::NoError)
        return false;
    s->beginGroup(group);
    if (!GroupHasContent(*s)) {
        if (!create)
            return false;
        s->setValue(KeyMarker, QStringLiteral("key"));
        s->sync();
        if (s->status() != QSettings::NoError)
            return false;
    }
    m_settings = std::move(s);
    m_group = group;
    return true;
}

void RegistryKey::Close()
{
    if (m_settings)
        m_settings->sync();
    m_settings.reset();
    m_group.clear();
}

bool RegistryKey::KeyExists(RegistryHive hive, const QString &keyPath)
{
    RegistryKey key;
    return key.Open(hive, keyPath, false);
}

std::optional<QString> RegistryKey::RawValue(const QString &name) const
{
    if (!m_settings || !UsableValueName(name))
        return std::nullopt;
    const QVariant v = m_settings->value(name);
    if (!v.isValid())
        return std::nullopt;
    // An unquoted text with commas reads back as a list; it is still one string.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

RegistryKey::ValueType RegistryKey::TypeOf(const QString &name) const
{
    const std::optional<QString> raw = RawValue(name);
    if (!raw)
        return ValueType::None;
    if (ParseDword(*raw))
        return ValueType::Dword;
    // Anything else, also an entry typed in by hand without a tag, is a string.
    return ValueType::String;
}

bool RegistryKey::ValueExists(const QString &name) const
{
    return TypeOf(name) != ValueType::None;
}

std::optional<QString> RegistryKey::ReadString(const QString &name) const
{
    const std::optional<QString> raw = RawValue(name);
    if (!raw || ParseDword(*raw))
        return std::nullopt;
    if (raw->startsWith(StringTag))
        return raw->mid(StringTag.size());
    return raw;
}

std::optional<uint32_t> RegistryKey::ReadDword(const QString &name) const
{
    const std::optional<QString> raw = RawValue(name);
    return raw ? ParseDword(*raw) : std::nullopt;
}

bool RegistryKey::WriteRaw(const QString &name, const QString &data)
{
    if (!m_settings || !UsableValueName(name))
        return false;
    m_settings->setValue(name, data);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool RegistryKey::WriteString(const QString &name, const QString &value)
{
    return WriteRaw(name, StringTag + value);
}

bool RegistryKey::WriteDword(const QString &name, uint32_t value)
{
    return WriteRaw(name, DwordTag + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')));
}

bool RegistryKey::DeleteValue(const QString &name)
{
    if (!m_settings || !UsableValueName(name))
        return false;
    if (!m_settings->contains(name))
        return true;
    // Keep the key itself when its last value goes.
    m_settings->remove(name);
    if (!GroupHasContent(*m_settings))
        m_settings->setValue(KeyMarker, QStringLiteral("key"));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
