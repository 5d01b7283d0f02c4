#include "receiver/ChangeThisByteToThatByteUnit.h"

int ChangeThisByteToThatByte(void* buffer, int length, std::uint8_t thisByte, std::uint8_t thatByte)
{
    if (buffer == nullptr)
        return 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    int changed = 0;
    for (int i = 0; i < length; ++i) {
        if (bytes[i] == thisByte) {
            bytes[i] = thatByte;
            ++changed;
        }
    }
    return changed;
}
