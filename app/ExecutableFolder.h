#pragma once
#include <QString>

// Folder of the running executable, ending with "/". Every file of the program is
// addressed from here, never from the working directory.
QString ExecutableFolder();
