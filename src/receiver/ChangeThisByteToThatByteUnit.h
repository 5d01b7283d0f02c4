#pragma once
// Replaces every occurrence of one byte value in a buffer by another.

#include <cstdint>

// Returns how many bytes it changed; a negative or zero length changes nothing.
int ChangeThisByteToThatByte(void* buffer, int length, std::uint8_t thisByte, std::uint8_t thatByte);
