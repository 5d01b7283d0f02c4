#pragma once
// The activity chart's data: the squelch open time and the number of openings in fixed bins over a sliding
// window, and the distribution bars (total open time per frequency). Pure data; the window draws them.

#include "support/Colour.h"
#include "support/DateTimeUnit.h"

#include <QPointF>
#include <QString>

#include <vector>

// x is a date-time (the end of the bin), y the accumulated value.
using TActivitySeries = std::vector<QPointF>;

// The end of the bin (binMinutes long, counted from midnight) that contains t.
TDateTime BinEnd(TDateTime t, int binMinutes);

// Adds y into the bin of t. A new bin first fills the time since the last bin with zero points and drops the
// points older than the window; an existing bin (the last point lies at or after t) just accumulates.
void AdvanceActivitySeries(TActivitySeries& series, int binMinutes, int windowMinutes, double y, TDateTime t);

// A value as the chart's vertical axes label it: thousands separated, up to three decimals.
QString FormatAxisValue(double value);

// The activity chart's title: the last values of both series, three blanks apart.
QString ActivityTitle(const TActivitySeries& squelchSeries, const TActivitySeries& activitySeries);

// A duration in days as "hh:nn:ss" (hours counted on past a day).
QString DurationText(double days);

// One bar per frequency, x in megahertz, ascending.
struct TDistributionBar {
    double X = 0; // MHz
    double Y = 0; // days
    TColor Colour = 0;
};

// The series' own colour, which a bar takes when given colour 0.
constexpr TColor DistributionSeriesColour = RGBColour(235, 237, 235);

class TDistributionBars {
public:
    const std::vector<TDistributionBar>& Bars() const { return FBars; }
    int Count() const { return int(FBars.size()); }
    const TDistributionBar& At(int index) const { return FBars.at(size_t(index)); }

    // The index of the bar at exactly x, or -1.
    int IndexOf(double x) const;
    // Inserts in frequency order (after bars of the same x); returns the new bar's index.
    int Add(double x, double y, TColor colour);
    // The frequency's bar shows total: a new bar takes colour (0: the series' colour), an existing one keeps
    // its colour. Frequencies below 1 Hz change nothing and give -1; otherwise the bar's index.
    int Update(qint32 frequency, TColor colour, double total);
    void Clear() { FBars.clear(); }

private:
    std::vector<TDistributionBar> FBars;
};

// The audio chart's title for a clicked bar: frequency, two blanks, its total as "hh:nn:ss", and the lookup
// comments when there are any.
QString DistributionBarTitle(
    const TDistributionBar& bar, bool found, const QString& shortComment, const QString& longComment);

// The bar's frequency in hertz.
qint32 BarFrequency(const TDistributionBar& bar);
