#pragma once
#include <QString>

// The desktop's "open" verb: files and folders with their default program, web addresses
// with the browser.
namespace Shell {

// target is a local path or an address with a scheme ("http://..."). False when the desktop
// could not open it.
bool open(const QString &target);

}  // namespace Shell
