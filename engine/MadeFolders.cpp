#include "engine/MadeFolders.h"

#include "folders/Side.h"

void MadeFolders::Add(bool onLeft, const QString &made, const QString &path)
{
    if (made.isEmpty())
        return;
    const std::lock_guard lock(m_mutex);
    m_made.push_back({onLeft, made, path});
}

void MadeFolders::RemoveEmpty(Side &left, Side &right)
{
    const std::lock_guard lock(m_mutex);
    // Deepest first, from the file's folder up to the highest one made for it.
    for (auto made = m_made.crbegin(); made != m_made.crend(); ++made) {
        Side &side = made->OnLeft ? left : right;
        for (QString folder = made->Path.left(made->Path.lastIndexOf(u'/')); folder.size() >= made->Top.size();
             folder = folder.left(folder.lastIndexOf(u'/')))
            if (!side.RemoveEmptyFolder(folder))
                break;
    }
    m_made.clear();
}
