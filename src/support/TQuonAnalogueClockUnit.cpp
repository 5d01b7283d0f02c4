#include "support/TQuonAnalogueClockUnit.h"

#include <QPainter>

#include <utility>

namespace {

QColor ToQColor(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

TColor FromQColor(const QColor& colour)
{
    return RGBColour(colour.red(), colour.green(), colour.blue());
}

QRectF EllipseBox(const TClockBox& box)
{
    return QRectF(QPointF(box.Left, box.Top), QPointF(box.Right, box.Bottom));
}

void DrawLine(QPainter& painter, const TClockLine& line)
{
    painter.setPen(QPen(ToQColor(line.Colour), line.Width));
    painter.drawLine(line.From, line.To);
}

// Puts the painter's pen and brush back however painting ends.
class TPenBrushKeeper {
public:
    explicit TPenBrushKeeper(QPainter& painter)
        : FPainter(painter)
        , FPen(painter.pen())
        , FBrush(painter.brush())
    {
    }
    ~TPenBrushKeeper()
    {
        FPainter.setPen(FPen);
        FPainter.setBrush(FBrush);
    }
    TPenBrushKeeper(const TPenBrushKeeper&) = delete;
    TPenBrushKeeper& operator=(const TPenBrushKeeper&) = delete;

private:
    QPainter& FPainter;
    QPen FPen;
    QBrush FBrush;
};

// Clears the widget's canvas pointer when painting ends.
class TCanvasScope {
public:
    TCanvasScope(QPainter*& slot, QPainter& painter)
        : FSlot(slot)
    {
        FSlot = &painter;
    }
    ~TCanvasScope() { FSlot = nullptr; }
    TCanvasScope(const TCanvasScope&) = delete;
    TCanvasScope& operator=(const TCanvasScope&) = delete;

private:
    QPainter*& FSlot;
};

} // namespace

TQuonAnalogueClock::TQuonAnalogueClock(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("QuonAnalogueClock"));
    FSettings.Color = FromQColor(palette().color(QPalette::Button));
    resize(80, 80);
}

void TQuonAnalogueClock::SetTimeBeingDisplayed(TDateTime value)
{
    Store(FTimeBeingDisplayed, value);
}

void TQuonAnalogueClock::SetColor(TColor value)
{
    FSettings.Color = value;
    update();
}

void TQuonAnalogueClock::SetOnPaintEnter(TPaintEvent handler)
{
    FOnPaintEnter = std::move(handler);
    update();
}

void TQuonAnalogueClock::SetOnPaintExit(TPaintEvent handler)
{
    FOnPaintExit = std::move(handler);
    update();
}

void TQuonAnalogueClock::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const TCanvasScope canvas(FCanvas, painter);
    // A clock that fails to draw must never take its window down with it.
    try {
        Paint(painter);
    } catch (...) {
    }
}

void TQuonAnalogueClock::Paint(QPainter& painter)
{
    const TPenBrushKeeper keeper(painter);
    const TClockDrawing drawing
        = ClockDrawing(width(), height(), FTimeBeingDisplayed, FSettings, painter.pen().width());

    if (drawing.FaceFilled) {
        painter.setPen(QPen(ToQColor(drawing.FaceColour), painter.pen().width()));
        painter.setBrush(ToQColor(drawing.FaceColour));
        painter.drawEllipse(EllipseBox(drawing.Face));
    }
    painter.setBrush(Qt::SolidPattern);

    RunPaintEvent(FOnPaintEnter);

    for (const TClockLine& tick : drawing.Ticks)
        DrawLine(painter, tick);
    for (const auto& hand : {drawing.HourHand, drawing.MinuteHand, drawing.SecondHand})
        if (hand)
            DrawLine(painter, *hand);

    painter.setPen(QPen(ToQColor(drawing.DiscColour), drawing.DiscPenWidth));
    painter.setBrush(ToQColor(drawing.DiscColour));
    painter.drawEllipse(EllipseBox(drawing.Disc));

    RunPaintEvent(FOnPaintExit);
}

void TQuonAnalogueClock::RunPaintEvent(const TPaintEvent& handler)
{
    if (!handler)
        return;
    try {
        handler(this);
    } catch (...) {
    }
}
