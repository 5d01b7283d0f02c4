#include "monitor/FrequencyTextUnit.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

QString TrimZeroGroups(QString text, int groupSize)
{
    const QString group(groupSize, QLatin1Char('0'));
    while (text.endsWith(group))
        text.chop(groupSize);
    return text;
}

double NumberOf(const QString& text)
{
    // Plain C notation only: a comma is neither a decimal point nor a thousands separator here.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
    return value;
}

qint32 ParseWithUnit(const QString& text, const QString& unit, double multiplier)
{
    QString number = text;
    const qsizetype at = text.indexOf(unit);
    if (at >= 0) {
        if (text.mid(at).trimmed() != unit)
            throw EInvalidFrequencyString(("Invalid Frequency String " + text).toStdString());
        number = text.left(at);
    } else {
        multiplier = 1;
    }
    const double hertz = std::nearbyint(NumberOf(number) * multiplier);
    // A value that does not fit would wrap around into some unrelated frequency.
    if (hertz < std::numeric_limits<qint32>::min() || hertz > std::numeric_limits<qint32>::max())
        throw EConvertError(QStringLiteral("'%1' is not a valid frequency").arg(text).toStdString());
    return qint32(hertz);
}

} // namespace

QString FormatFrequency(qint32 frequency, int trimGroupSize)
{
    QString text = QString::asprintf("%11.6f", frequency / 1000000.0);
    if (trimGroupSize > 0)
        text = TrimZeroGroups(text, trimGroupSize);
    return text + QStringLiteral(" MHz");
}

qint32 ParseMHzText(const QString& text)
{
    return ParseWithUnit(text, QStringLiteral("MHz"), 1000000.0);
}

qint32 ParseKHzText(const QString& text)
{
    return ParseWithUnit(text, QStringLiteral("kHz"), 1000.0);
}

QString ScrollBarValueText(const QString& text, int position)
{
    return text + QStringLiteral("  ") + (position == 0 ? QStringLiteral("Off") : QString::number(position));
}
