#include "ui/config/LocalFolderMaker.h"

#include "ui/config/ConfigMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

bool MakeLocalFolder(const QString &path, QString &why)
{
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    // Qt does not say why; the nearest existing folder on the way usually does.
    QString existing = QDir::cleanPath(path);
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        const QString up = QFileInfo(existing).path();
        if (up == existing)
            break;
        existing = up;
    }
    const QFileInfo at(existing);
    if (existing == QDir::cleanPath(path) && !at.isDir())
        why = QStringLiteral("A file of that name already exists.");
    else if (!at.isDir())
        why = QStringLiteral("\"%1\" is a file, not a folder.").arg(QDir::toNativeSeparators(existing));
    else if (!at.isWritable())
        why = QStringLiteral("You have no permission to create folders in \"%1\".").arg(QDir::toNativeSeparators(existing));
    else
        why = QStringLiteral("The system refused to create it in \"%1\".").arg(QDir::toNativeSeparators(existing));
    return false;
}

bool EnsureLocalFolder(QWidget *parent, const QString &path, const QString &what)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString shown = QDir::toNativeSeparators(path);
    if (QMessageBox::question(parent, ConfigMessages::Caption(),
                              QStringLiteral("%1 \"%2\" does not exist. Create it?").arg(what, shown),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        != QMessageBox::Yes)
        return false;
    QString why;
    if (MakeLocalFolder(path, why))
        return true;
    ConfigMessages::Inform(parent, QStringLiteral("The folder \"%1\" could not be created. %2").arg(shown, why));
    return false;
}
