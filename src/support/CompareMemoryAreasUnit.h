#pragma once
// Byte-wise comparison of two memory areas.

#include <cstddef>

// 0 when the first length bytes are equal, otherwise the number of bytes from the first difference to the
// end.
std::size_t CompareMemoryAreas(const void* first, const void* second, std::size_t length);
