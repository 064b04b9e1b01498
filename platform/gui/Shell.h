#pragma once
#include <QIcon>
#include <QString>

// The desktop shell: the "open" verb (files and folders with their default program, web
// addresses with the browser) and the icons of file types. Interface thread only.
namespace Shell {

// target is a local path or an address with a scheme ("http://..."). False when the desktop
// could not open it.
bool open(const QString &target);
// The icon the desktop shows for files with this extension (".txt", or a whole name such
// as "README" for files without a dot); a null icon when the desktop has none.
QIcon iconForExtension(const QString &extension);

}  // namespace Shell
