#pragma once
// Character set filtering, for texts such as the receiver's link-group strings.

#include <QString>

#include <bitset>
#include <string>
#include <string_view>

// A set over the 256 character codes.
using TCharSet = std::bitset<256>;

// The set of the characters in chars.
TCharSet CharSetOf(std::string_view chars);
// The set of the characters first to last.
TCharSet CharRange(unsigned char first, unsigned char last);

// The characters of text that are in set, in their order. Characters above code 255 are never in a set.
std::string FilterCharsInSet(const TCharSet& set, std::string_view text);
QString FilterCharsInSet(const TCharSet& set, const QString& text);
