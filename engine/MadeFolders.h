#pragma once
#include <QString>
#include <mutex>
#include <vector>

class Side;

// Folders a synchronisation made for files that were then not copied. They are taken away
// once no copy runs any more, and only while empty: a copy on another connection may have
// put a file in them meanwhile.
class MadeFolders {
public:
    // made: the highest folder made for path (empty: none was made).
    void Add(bool onLeft, const QString &made, const QString &path);
    void RemoveEmpty(Side &left, Side &right);

private:
    struct Made {
        bool OnLeft;
        QString Top;
        QString Path;
    };
    std::mutex m_mutex;
    std::vector<Made> m_made;
};
