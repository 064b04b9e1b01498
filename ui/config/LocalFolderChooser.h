#pragma once
#include "model/JobSide.h"

#include "ui/widgets/SkinnedWindow.h"

class QAbstractButton;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The local folder chooser: a tree of folders from the home folder and the file-system
// root, an address that follows it or is typed, and "make folder". It works on a copy of
// the side given; the caller takes FolderSource() when Result() is true.
class LocalFolderChooser : public SkinnedWindow {
    Q_OBJECT
public:
    explicit LocalFolderChooser(QWidget *parent = nullptr);

    // Opens the tree at the side's folder when that folder exists.
    void SetFolderSource(const JobSide &source);
    const JobSide &FolderSource() const { return m_source; }
    bool Result() const { return m_result; }

    // Expands the tree down to path and selects it; false when the tree cannot show it.
    bool SelectPath(const QString &path);

private:
    QTreeWidgetItem *addFolderItem(QTreeWidgetItem *parent, const QString &name, const QString &path);
    // Lists item's subfolders once; again when refresh is set.
    void fill(QTreeWidgetItem *item, bool refresh = false);
    QTreeWidgetItem *childNamed(QTreeWidgetItem *item, const QString &name);
    void selectionChanged();
    void MakeFolderButtonClick();
    void OkButtonClick();

    JobSide m_source;
    bool m_result = false;
    QTreeWidget *strv1 = nullptr;
    QLineEdit *Edit_Address = nullptr;
    QTreeWidgetItem *m_home = nullptr;
    QTreeWidgetItem *m_root = nullptr;
};
