#pragma once
// A small analogue clock face for a given date-time. It keeps no timer: its owner sets TimeBeingDisplayed.

#include "support/AnalogueClockGeometryUnit.h"

#include <QWidget>

#include <functional>

class QPainter;

class TQuonAnalogueClock : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double TimeBeingDisplayed READ TimeBeingDisplayed WRITE SetTimeBeingDisplayed)
    Q_PROPERTY(bool SnapSecondHand READ SnapSecondHand WRITE SetSnapSecondHand)
    Q_PROPERTY(bool SnapMinuteHand READ SnapMinuteHand WRITE SetSnapMinuteHand)
    Q_PROPERTY(bool SnapHourHand READ SnapHourHand WRITE SetSnapHourHand)
    Q_PROPERTY(quint32 HourPenColour READ HourPenColour WRITE SetHourPenColour)
    Q_PROPERTY(int HourPenWidth READ HourPenWidth WRITE SetHourPenWidth)
    Q_PROPERTY(quint32 MinutePenColour READ MinutePenColour WRITE SetMinutePenColour)
    Q_PROPERTY(int MinutePenWidth READ MinutePenWidth WRITE SetMinutePenWidth)
    Q_PROPERTY(quint32 SecondPenColour READ SecondPenColour WRITE SetSecondPenColour)
    Q_PROPERTY(int SecondPenWidth READ SecondPenWidth WRITE SetSecondPenWidth)
    Q_PROPERTY(quint32 CentreDiscColour READ CentreDiscColour WRITE SetCentreDiscColour)
    Q_PROPERTY(int CentreDiscRadiusPerCent READ CentreDiscRadiusPerCent WRITE SetCentreDiscRadiusPerCent)
    Q_PROPERTY(quint32 TickPenColour READ TickPenColour WRITE SetTickPenColour)
    Q_PROPERTY(int TickPenWidth READ TickPenWidth WRITE SetTickPenWidth)
    Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    // Called with the clock while it paints; draw through sender->Canvas(). Whatever it throws is ignored.
    using TPaintEvent = std::function<void(TQuonAnalogueClock* sender)>;

    explicit TQuonAnalogueClock(QWidget* parent = nullptr);

    TDateTime TimeBeingDisplayed() const { return FTimeBeingDisplayed; }
    void SetTimeBeingDisplayed(TDateTime value);

    bool SnapSecondHand() const { return FSettings.SnapSecondHand; }
    void SetSnapSecondHand(bool value) { Store(FSettings.SnapSecondHand, value); }
    bool SnapMinuteHand() const { return FSettings.SnapMinuteHand; }
    void SetSnapMinuteHand(bool value) { Store(FSettings.SnapMinuteHand, value); }
    bool SnapHourHand() const { return FSettings.SnapHourHand; }
    void SetSnapHourHand(bool value) { Store(FSettings.SnapHourHand, value); }

    TColor HourPenColour() const { return FSettings.HourPenColour; }
    void SetHourPenColour(TColor value) { Store(FSettings.HourPenColour, value); }
    int HourPenWidth() const { return FSettings.HourPenWidth; }
    void SetHourPenWidth(int value) { Store(FSettings.HourPenWidth, value); }
    TColor MinutePenColour() const { return FSettings.MinutePenColour; }
    void SetMinutePenColour(TColor value) { Store(FSettings.MinutePenColour, value); }
    int MinutePenWidth() const { return FSettings.MinutePenWidth; }
    void SetMinutePenWidth(int value) { Store(FSettings.MinutePenWidth, value); }
    TColor SecondPenColour() const { return FSettings.SecondPenColour; }
    void SetSecondPenColour(TColor value) { Store(FSettings.SecondPenColour, value); }
    int SecondPenWidth() const { return FSettings.SecondPenWidth; }
    void SetSecondPenWidth(int value) { Store(FSettings.SecondPenWidth, value); }

    TColor CentreDiscColour() const { return FSettings.CentreDiscColour; }
    void SetCentreDiscColour(TColor value) { Store(FSettings.CentreDiscColour, value); }
    int CentreDiscRadiusPerCent() const { return FSettings.CentreDiscRadiusPerCent; }
    void SetCentreDiscRadiusPerCent(int value) { Store(FSettings.CentreDiscRadiusPerCent, value); }
    TColor TickPenColour() const { return FSettings.TickPenColour; }
    void SetTickPenColour(TColor value) { Store(FSettings.TickPenColour, value); }
    int TickPenWidth() const { return FSettings.TickPenWidth; }
    void SetTickPenWidth(int value) { Store(FSettings.TickPenWidth, value); }

    // The face colour; setting it always repaints.
    TColor Color() const { return FSettings.Color; }
    void SetColor(TColor value);
    // Takes effect at the next paint.
    bool Transparent() const { return FSettings.Transparent; }
    void SetTransparent(bool value) { FSettings.Transparent = value; }

    const TPaintEvent& OnPaintEnter() const { return FOnPaintEnter; }
    void SetOnPaintEnter(TPaintEvent handler);
    const TPaintEvent& OnPaintExit() const { return FOnPaintExit; }
    void SetOnPaintExit(TPaintEvent handler);

    // The painter of the paint in progress, for the two paint events; null outside painting.
    QPainter* Canvas() const { return FCanvas; }

    const TAnalogueClockSettings& Settings() const { return FSettings; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T> void Store(T& field, T value)
    {
        if (field != value) {
            field = value;
            update();
        }
    }
    void Paint(QPainter& painter);
    void RunPaintEvent(const TPaintEvent& handler);

    TDateTime FTimeBeingDisplayed = 0;
    TAnalogueClockSettings FSettings;
    TPaintEvent FOnPaintEnter;
    TPaintEvent FOnPaintExit;
    QPainter* FCanvas = nullptr;
};
