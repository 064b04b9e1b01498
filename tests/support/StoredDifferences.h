#pragma once
#include "model/Job.h"

#include <QStringList>

// Names of the stored fields that differ between a and b.
QStringList StoredDifferences(const Job &a, const Job &b);
