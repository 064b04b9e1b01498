#pragma once
#include <QString>

// The user's configuration folder: $XDG_CONFIG_HOME, or ~/.config when it is unset or
// relative (XDG ignores a relative path). Read on every call, so a test can point it elsewhere.
QString ConfigHomeFolder();
