#include "support/MiscellaneousRoutines2Unit.h"

TCharSet CharSetOf(std::string_view chars)
{
    TCharSet set;
    for (const char c : chars)
        set.set(static_cast<unsigned char>(c));
    return set;
}

TCharSet CharRange(unsigned char first, unsigned char last)
{
    TCharSet set;
    for (unsigned code = first; code <= last; ++code)
        set.set(code);
    return set;
}

std::string FilterCharsInSet(const TCharSet& set, std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (set.test(static_cast<unsigned char>(c)))
            kept += c;
    return kept;
}

QString FilterCharsInSet(const TCharSet& set, const QString& text)
{
    QString kept;
    for (const QChar c : text)
        if (c.unicode() < set.size() && set.test(c.unicode()))
            kept += c;
    return kept;
}
