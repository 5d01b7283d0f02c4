#pragma once
// What the analogue clock draws, worked out without a canvas so it can be checked exactly.

#include "support/Colour.h"
#include "support/DateTimeUnit.h"

#include <QPoint>

#include <optional>
#include <vector>

struct TAnalogueClockSettings {
    bool SnapSecondHand = true;
    bool SnapMinuteHand = false;
    bool SnapHourHand = false;
    TColor HourPenColour = clBlack;
    int HourPenWidth = 3;
    TColor MinutePenColour = clBlack;
    int MinutePenWidth = 2;
    TColor SecondPenColour = clRed;
    int SecondPenWidth = 1;
    TColor CentreDiscColour = RGBColour(192, 192, 192);
    int CentreDiscRadiusPerCent = 8;
    TColor TickPenColour = clGray;
    int TickPenWidth = 0;
    TColor Color = RGBColour(240, 240, 240);
    bool Transparent = false;
};

// An ellipse's bounding box as (Left, Top) to (Right, Bottom).
struct TClockBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TClockBox&, const TClockBox&) = default;
};

struct TClockLine {
    QPoint From;
    QPoint To;
    double Angle = 0; // radians, clockwise from twelve o'clock
    TColor Colour = clBlack;
    int Width = 0;
};

struct TClockDrawing {
    TClockBox Face;
    TColor FaceColour = 0;
    bool FaceFilled = true; // false when transparent: neither filled nor outlined
    std::vector<TClockLine> Ticks; // empty when hidden
    std::optional<TClockLine> HourHand;
    std::optional<TClockLine> MinuteHand;
    std::optional<TClockLine> SecondHand;
    TClockBox Disc;
    TColor DiscColour = 0;
    int DiscPenWidth = 1; // the width of the last line drawn before the disc
};

struct TClockHandValues {
    double Hour = 0; // 0 <= h < 24
    double Minute = 0; // 0 <= m < 60
    double Second = 0; // 0 <= s < 60
};

// Rounds to the nearest integer, halves to even.
int RoundHalfEven(double value);

// The point at radius r and angle a around (cx, cy).
QPoint ClockPoint(int cx, int cy, double radius, double angle);

// Hour, minute and second of the time of day, each carrying the finer parts as a fraction.
TClockHandValues ClockHandValues(TDateTime time);

// Everything the clock paints, in painting order; penWidth is the canvas's pen width on entry.
TClockDrawing ClockDrawing(
    int width, int height, TDateTime time, const TAnalogueClockSettings& settings, int penWidth = 1);
