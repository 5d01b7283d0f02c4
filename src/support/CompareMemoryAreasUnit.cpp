#include "support/CompareMemoryAreasUnit.h"

#include <algorithm>

std::size_t CompareMemoryAreas(const void* first, const void* second, std::size_t length)
{
    const auto* a = static_cast<const unsigned char*>(first);
    const auto* b = static_cast<const unsigned char*>(second);
    const auto difference = std::mismatch(a, a + length, b);
    return std::size_t(a + length - difference.first);
}
