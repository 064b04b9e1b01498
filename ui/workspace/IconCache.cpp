#include "ui/workspace/IconCache.h"

#include "engine/RowRecord.h"
#include "platform/gui/Shell.h"
#include "ui/workspace/FileKindIcons.h"
#include "ui/workspace/RowImages.h"

namespace {
constexpr int IconSide = 16;
}

IconCache::IconCache(Lookup lookup) : m_lookup(std::move(lookup)), m_images(RowImages::Fixed())
{
    if (!m_lookup)
        m_lookup = &Shell::iconForExtension;
}

QString IconCache::ExtensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot);
}

QIcon IconCache::IconForExtension(const QString &extension) const
{
    return m_lookup(extension);
}

int32_t IconCache::IconIndexFor(const QString &name)
{
    const QString extension = ExtensionOf(name);
    const auto known = m_indexOf.constFind(extension);
    if (known != m_indexOf.constEnd())
        return *known;
    if (m_images.size() >= Capacity)
        return RowImage::Document;
    QIcon icon = IconForExtension(extension);
    if (icon.isNull())
        icon = FileKindIcons::IconOf(FileKindIcons::KindOf(extension));
    if (icon.isNull()) {
        m_indexOf.insert(extension, RowImage::Document);
        return RowImage::Document;
    }
    m_extensions << extension;
    m_images << icon.pixmap(IconSide, IconSide);
    const int32_t index = RowImage::FixedCount - 1 + int32_t(m_extensions.size());
    m_indexOf.insert(extension, index);
    return index;
}

const QPixmap &IconCache::Image(int32_t index) const
{
    static const QPixmap none;
    return index >= 0 && index < m_images.size() ? m_images[index] : none;
}
