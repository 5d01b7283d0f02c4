#include "support/AnalogueClockGeometryUnit.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr double FullTurn = 2 * std::numbers::pi;

TClockBox BoxAround(int cx, int cy, int r)
{
    return {cx - r, cy - r, cx + r, cy + r};
}

double TickStart(int i)
{
    if (i % 15 == 0)
        return 0.35;
    if (i % 5 == 0)
        return 0.4;
    return 0.45;
}

struct TDial {
    int Side;
    int Cx;
    int Cy;

    TClockLine Line(double r1, double r2, double angle, TColor colour, int width) const
    {
        return {
            ClockPoint(Cx, Cy, r1 * Side, angle), ClockPoint(Cx, Cy, r2 * Side, angle), angle, colour, width};
    }
};

} // namespace

int RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even; make sure nobody changed it.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return int(rounded);
}

QPoint ClockPoint(int cx, int cy, double radius, double angle)
{
    return {cx + RoundHalfEven(std::sin(angle) * radius), cy - RoundHalfEven(std::cos(angle) * radius)};
}

TClockHandValues ClockHandValues(TDateTime time)
{
    // Whole milliseconds first, as the time of day is split into hour, minute, second and millisecond.
    const long long total = std::llround(time * MillisecondsPerDay);
    const long long ofDay = std::llabs(total) % 86400000LL;
    const long long hour = ofDay / 3600000;
    const long long minute = ofDay / 60000 % 60;
    const long long second = ofDay / 1000 % 60;
    const long long millisecond = ofDay % 1000;

    TClockHandValues values;
    values.Second = double(second) + double(millisecond) / 1000.0;
    values.Minute = double(minute) + values.Second / 60.0;
    values.Hour = double(hour) + values.Minute / 60.0;
    return values;
}

TClockDrawing ClockDrawing(
    int width, int height, TDateTime time, const TAnalogueClockSettings& settings, int penWidth)
{
    const TDial dial {std::min(width, height), width / 2, height / 2};
    TClockDrawing drawing;
    drawing.Face = BoxAround(dial.Cx, dial.Cy, dial.Side / 2);
    drawing.FaceColour = settings.Color;
    drawing.FaceFilled = !settings.Transparent;

    if (settings.TickPenWidth >= 0) {
        for (int i = 1; i <= 60; ++i)
            drawing.Ticks.push_back(dial.Line(
                TickStart(i), 0.5, i * FullTurn / 60, settings.TickPenColour, settings.TickPenWidth));
        penWidth = settings.TickPenWidth;
    }

    const TClockHandValues values = ClockHandValues(time);
    if (settings.HourPenWidth >= 0) {
        const double h = settings.SnapHourHand ? std::trunc(values.Hour) : values.Hour;
        drawing.HourHand
            = dial.Line(0, 0.3, h / 12 * FullTurn, settings.HourPenColour, settings.HourPenWidth);
        penWidth = settings.HourPenWidth;
    }
    if (settings.MinutePenWidth >= 0) {
        const double m = settings.SnapMinuteHand ? std::trunc(values.Minute) : values.Minute;
        drawing.MinuteHand
            = dial.Line(0, 0.45, m / 60 * FullTurn, settings.MinutePenColour, settings.MinutePenWidth);
        penWidth = settings.MinutePenWidth;
    }
    if (settings.SecondPenWidth >= 0) {
        const double s = settings.SnapSecondHand ? RoundHalfEven(values.Second) : values.Second;
        drawing.SecondHand
            = dial.Line(0, 0.48, s / 60 * FullTurn, settings.SecondPenColour, settings.SecondPenWidth);
        penWidth = settings.SecondPenWidth;
    }

    const int discRadius = RoundHalfEven(dial.Side * settings.CentreDiscRadiusPerCent / 100.0);
    drawing.Disc = BoxAround(dial.Cx, dial.Cy, discRadius);
    drawing.DiscColour = settings.CentreDiscColour;
    drawing.DiscPenWidth = penWidth;
    return drawing;
}
