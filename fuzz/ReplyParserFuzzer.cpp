// Feeds arbitrary replies to the reply parsers: no crash, no exception, consumption exactly as documented,
// and the integer reader agreeing with a plain reference reader.

#include "receiver/AOR8200Unit.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Blanks, an optional sign, one or more digits and nothing else, within 32 bits.
bool ReferenceInteger(const std::string& text, std::int32_t& value)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    std::size_t digits = i + ((text[i] == '+' || text[i] == '-') ? 1 : 0);
    if (digits >= text.size())
        return false;
    for (std::size_t k = digits; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    const std::string number = text.substr(i);
    errno = 0;
    const long long parsed = std::strtoll(number.c_str(), nullptr, 10);
    if (errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = std::int32_t(parsed);
    return true;
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the field width, the rest is the reply.
    const int width = data[0] % 16;
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    std::int32_t value = 0;
    std::int32_t expected = 0;
    const std::string latin1 = reply.left(width).toStdString();
    const bool valid = TAOR8200::StrToInt(reply.left(width), value);
    Check(valid == ReferenceInteger(latin1, expected) && (!valid || value == expected));

    QString text = reply;
    QString part;
    const bool took = TAOR8200::TakeChars(text, width, part);
    Check(took == (reply.size() >= width));
    Check(part == reply.left(width));
    Check(text == (took ? reply.mid(width) : reply));

    text = reply;
    const QString prefix = reply.left(2);
    Check(TAOR8200::TakePrefix(text, prefix) && text == reply.mid(prefix.size()));

    // A chain as the command set uses it: "MW A:" 2 digits " a:" 2 digits CR LF.
    text = reply;
    std::int32_t upper = 0;
    std::int32_t lower = 0;
    if (TAOR8200::TakePrefixedInteger(text, QStringLiteral("MW A:"), 2, upper)
        && TAOR8200::TakePrefixedInteger(text, QStringLiteral(" a:"), 2, lower)
        && TAOR8200::TakePrefix(text, QStringLiteral("\r\n")))
        Check(upper >= -9 && upper <= 99 && lower >= -9 && lower <= 99);
    return 0;
}
