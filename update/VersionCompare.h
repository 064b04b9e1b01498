#pragma once
#include <QString>

// True when published names a later version than installed. Versions compare numerically,
// component by component ("3.1.99" is older than "3.1.135"; a missing component counts as
// 0). Equal is not newer, and a published text that is not a dotted run of numbers never
// is; an installed text that is empty or not a version is older than any version.
bool IsNewerVersion(const QString &published, const QString &installed);
