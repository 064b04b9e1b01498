#pragma once
#include "model/TSyncTask.h"

#include <QStringList>

// Names of the stored fields that differ between a and b.
QStringList StoredDifferences(const TSyncTask &a, const TSyncTask &b);
