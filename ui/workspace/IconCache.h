#pragma once
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <cstdint>
#include <functional>

// The image list of a job page's result tree: the fixed row images, then the type icons of
// the file extensions met so far. It only grows, up to Capacity images. Interface thread.
class IconCache {
public:
    static constexpr int Capacity = 100;
    using Lookup = std::function<QIcon(const QString &extension)>;

    // lookup gives a type's icon; the desktop shell's when none is given.
    explicit IconCache(Lookup lookup = {});

    // Image index for a file's type icon, the program's own icon of the file's kind when the
    // desktop has none; the document image when neither is known.
    int32_t IconIndexFor(const QString &name);
    QIcon IconForExtension(const QString &extension) const;

    // "a.txt" -> ".txt", "archive.tar.gz" -> ".gz", "README" -> "README".
    static QString ExtensionOf(const QString &name);

    const QStringList &IconExtensions() const { return m_extensions; }
    int ImageCount() const { return int(m_images.size()); }
    // An empty pixmap for an index outside the list.
    const QPixmap &Image(int32_t index) const;

private:
    Lookup m_lookup;
    QStringList m_extensions;
    // Index of each cached extension, and the extensions known to have no icon: each type
    // is asked for once, not once per file.
    QHash<QString, int32_t> m_indexOf;
    QList<QPixmap> m_images;
};
