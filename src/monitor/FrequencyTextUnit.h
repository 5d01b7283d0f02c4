#pragma once
// Frequencies (hertz) as the windows show and read them.

#include "support/ConvertErrorUnit.h"

#include <QString>
#include <QtGlobal>

// A unit that is not at the end of the text: "Invalid Frequency String " + the text.
class EInvalidFrequencyString : public EConvertError {
public:
    using EConvertError::EConvertError;
};

// The frequency in megahertz as "%11.6f" + " MHz". With trimGroupSize n > 0, runs of n trailing zeros are
// removed first, as long as the text ends in one.
QString FormatFrequency(qint32 frequency, int trimGroupSize = 0);

// "145.5 MHz" -> 145500000; without the unit the number is hertz. Rounds halves to even.
// Raises EInvalidFrequencyString for text after the unit, EConvertError for no number or a value beyond the
// range of a frequency.
qint32 ParseMHzText(const QString& text);
// "12.5 kHz" -> 12500; otherwise as ParseMHzText.
qint32 ParseKHzText(const QString& text);

// text + "  " + the position, or + "Off" when the position is 0.
QString ScrollBarValueText(const QString& text, int position);
