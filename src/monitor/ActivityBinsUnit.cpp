#include "monitor/ActivityBinsUnit.h"

#include "monitor/FrequencyTextUnit.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {
constexpr double MinutesPerDay = 1440.0;
}

TDateTime BinEnd(TDateTime t, int binMinutes)
{
    const double day = std::floor(t);
    const double minuteOfDay = (t - day) * MinutesPerDay;
    return day + (std::trunc(minuteOfDay / binMinutes) + 1) * binMinutes / MinutesPerDay;
}

void AdvanceActivitySeries(TActivitySeries& series, int binMinutes, int windowMinutes, double y, TDateTime t)
{
    const double bin = binMinutes / MinutesPerDay;
    if (series.empty() || series.back().x() < t) {
        const TDateTime binEnd = BinEnd(t, binMinutes);
        if (!series.empty() && series.back().x() > 0) {
            while (series.back().x() < binEnd - 1.1 * bin)
                series.emplace_back(series.back().x() + bin, 0.0);
            const TDateTime oldest = t - windowMinutes / MinutesPerDay;
            const auto firstKept = std::find_if(
                series.begin(), series.end(), [oldest](const QPointF& p) { return p.x() >= oldest; });
            series.erase(series.begin(), firstKept);
        }
        series.emplace_back(binEnd, 0.0);
    }
    series.back().ry() += y;
}

QString FormatAxisValue(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // group thousands, also in the C locale
    QString text = locale.toString(value, 'f', 3);
    const QChar point = locale.decimalPoint().at(0);
    if (text.contains(point)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(1);
    }
    return text;
}

QString ActivityTitle(const TActivitySeries& squelchSeries, const TActivitySeries& activitySeries)
{
    const auto last = [](const TActivitySeries& series) { return series.empty() ? 0.0 : series.back().y(); };
    return FormatAxisValue(last(squelchSeries)) + QStringLiteral("   ")
        + FormatAxisValue(last(activitySeries));
}

QString DurationText(double days)
{
    const auto seconds = qint64(std::floor(days * 86400.0 + 1e-6));
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

int TDistributionBars::IndexOf(double x) const
{
    const auto at
        = std::find_if(FBars.begin(), FBars.end(), [x](const TDistributionBar& b) { return b.X == x; });
    return at == FBars.end() ? -1 : int(at - FBars.begin());
}

int TDistributionBars::Add(double x, double y, TColor colour)
{
    const auto at = std::upper_bound(
        FBars.begin(), FBars.end(), x, [](double v, const TDistributionBar& b) { return v < b.X; });
    const auto inserted = FBars.insert(at, TDistributionBar {x, y, colour});
    return int(inserted - FBars.begin());
}

int TDistributionBars::Update(qint32 frequency, TColor colour, double total)
{
    if (frequency < 1)
        return -1;
    const double x = frequency / 1000000.0;
    const int index = IndexOf(x);
    if (index < 0)
        return Add(x, total, colour == 0 ? DistributionSeriesColour : colour);
    FBars[size_t(index)].Y = total;
    return index;
}

qint32 BarFrequency(const TDistributionBar& bar)
{
    return qint32(std::llround(bar.X * 1000000.0));
}

QString DistributionBarTitle(
    const TDistributionBar& bar, bool found, const QString& shortComment, const QString& longComment)
{
    QString text = FormatFrequency(BarFrequency(bar), 0) + QStringLiteral("  ") + DurationText(bar.Y);
    if (found)
        text += QStringLiteral("  ") + shortComment + QStringLiteral("  ") + longComment;
    return text;
}
