#pragma once
// Colours are kept as 0x00BBGGRR (red in the low byte), as stored in the database.

#include <QtGlobal>

using TColor = quint32;

constexpr TColor RGBColour(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int RedOf(TColor c)
{
    return int(c & 0xFF);
}
constexpr int GreenOf(TColor c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c)
{
    return int((c >> 16) & 0xFF);
}

constexpr TColor clBlack = RGBColour(0, 0, 0);
constexpr TColor clRed = RGBColour(255, 0, 0);
constexpr TColor clGreen = RGBColour(0, 128, 0);
constexpr TColor clLime = RGBColour(0, 255, 0);
constexpr TColor clBlue = RGBColour(0, 0, 255);
constexpr TColor clPurple = RGBColour(128, 0, 128);
constexpr TColor clGray = RGBColour(128, 128, 128);
constexpr TColor clNavy = RGBColour(0, 0, 128);
constexpr TColor clMaroon = RGBColour(128, 0, 0);
constexpr TColor clWhite = RGBColour(255, 255, 255);
constexpr TColor clYellow = RGBColour(255, 255, 0);
