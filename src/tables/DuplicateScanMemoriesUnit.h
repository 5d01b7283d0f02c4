#pragma once
// The duplicate check of the scan memories: which memory channels hold the same frequency.

#include "receiver/AOR8200Unit.h"

#include <QStringList>

#include <vector>

// One line per pair of memories on the same frequency, in list order (the first memory with each later one):
// the frequency text, two blanks, the first memory's name, two blanks, the second's. Empty memories in the
// list count like any other.
QStringList DuplicateScanMemoryLines(const std::vector<MemoryChannelRecord>& memories);
