// The audio chart (distribution bars, audio trace, playing and selected markers) and the activity chart (open
// seconds and openings per bin) of the main window, with their saved series.
//
// The bars are a candlestick series whose sets stand from 0 to the total (open = low = 0, close = high = the
// total): it places each set at its own x on the numeric axis and does the axes and the hit-testing. Qt
// Charts paints every body in the series' one colour, though, so the bodies are left transparent and the bars
// are painted over them in their own colours after each repaint, at the places mapToPosition gives.

#include "monitor/MainFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "audio/AudioControllerUnit.h"
#include "monitor/ActivityBinsUnit.h"
#include "monitor/SeriesTableUnit.h"

#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace {

QColor ToQColor(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// A chart view that reports clicks that hit no bar and draws on top after each repaint.
class TAudioChartView : public QChartView {
public:
    using QChartView::QChartView;
    std::function<void(QPainter*)> DrawBars;
    std::function<void(QPainter*)> AfterDraw;
    std::function<void()> ChartClick;
    bool BarHit = false;

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override
    {
        QChartView::drawForeground(painter, rect);
        if (DrawBars)
            DrawBars(painter);
        if (AfterDraw)
            AfterDraw(painter);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        // The bar series reports its click while the release is delivered.
        BarHit = false;
        QChartView::mouseReleaseEvent(event);
        if (!BarHit && ChartClick)
            ChartClick();
    }
};

QChart* PlainChart()
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundBrush(Qt::white);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QFont SmallFont()
{
    QFont font;
    font.setPointSize(7);
    return font;
}

// Steps for "hh:nn:ss" labels, in seconds.
constexpr std::array<double, 16> DurationSteps {
    1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 4 * 3600, 12 * 3600};

void LabelDurationAxis(QCategoryAxis* axis, double maxDays)
{
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    const double maxSeconds = std::max(maxDays * 86400.0, 1.0) * 1.1;
    double step = DurationSteps.back();
    for (double candidate : DurationSteps) {
        if (maxSeconds / candidate <= 4) {
            step = candidate;
            break;
        }
    }
    while (maxSeconds / step > 4)
        step *= 2;
    axis->setRange(0, maxSeconds / 86400.0);
    for (double s = 0; s <= maxSeconds; s += step)
        axis->append(DurationText(s / 86400.0), s / 86400.0);
}

qint64 ChartMSecs(TDateTime t)
{
    return QDateTimeFromDateTime(t).toMSecsSinceEpoch();
}

QList<QPointF> ChartPoints(const TActivitySeries& series)
{
    QList<QPointF> points;
    points.reserve(qsizetype(series.size()));
    for (const QPointF& p : series)
        points.append({double(ChartMSecs(p.x())), p.y()});
    return points;
}

void FitValueAxis(QValueAxis* axis, const TActivitySeries& series)
{
    double top = 0;
    for (const QPointF& p : series)
        top = std::max(top, p.y());
    axis->setRange(0, top > 0 ? top * 1.05 : 1);
}

} // namespace

struct TMainFormChartsState {
    // Context of every connection into the charts: they end with the state, before the widgets go.
    QObject Guard;
    // Audio chart
    TAudioChartView* AudioView = nullptr;
    QChart* Audio = nullptr;
    QCandlestickSeries* Series4 = nullptr;
    QLineSeries* Series1 = nullptr;
    QLineSeries* Series2 = nullptr;
    QValueAxis* Bottom = nullptr;
    QCategoryAxis* Right = nullptr;
    QValueAxis* Left = nullptr;
    QValueAxis* Top = nullptr;
    TDistributionBars Bars;
    double BarWidth = 2; // pixels
    // Activity chart
    QChartView* ActivityView = nullptr;
    QChart* Activity = nullptr;
    QLineSeries* LineSeries3 = nullptr; // series 0: open seconds
    QLineSeries* LineSeries4 = nullptr; // series 1: openings
    QDateTimeAxis* ActivityBottom = nullptr;
    QValueAxis* ActivityLeft = nullptr;
    QValueAxis* ActivityRight = nullptr;
    TActivitySeries Squelch;
    TActivitySeries Openings;
    // The markers last drawn: a change repaints the chart.
    TFrequencyMarker DrawnPlaying;
    TFrequencyMarker DrawnSelected;
    QTimer MarkerWatch;
};

void TMainFormChartsStateDeleter::operator()(TMainFormChartsState* state) const
{
    delete state;
}

namespace {

bool operator!=(const TFrequencyMarker& a, const TFrequencyMarker& b)
{
    return a.Frequency != b.Frequency || a.PenColour != b.PenColour || a.BrushColour != b.BrushColour;
}

QCandlestickSet* MakeBarSet(const TDistributionBar& bar)
{
    return new QCandlestickSet(0, bar.Y, 0, bar.Y, bar.X);
}

void PaintBars(QPainter* painter, const TMainFormChartsState& s)
{
    const QRectF plot = s.Audio->mapRectToScene(s.Audio->plotArea());
    painter->save();
    painter->setClipRect(plot);
    painter->setPen(QPen(QColor(96, 96, 96), 1));
    for (const TDistributionBar& bar : s.Bars.Bars()) {
        const QPointF top = s.Audio->mapToScene(s.Audio->mapToPosition(QPointF(bar.X, bar.Y), s.Series4));
        const QPointF base = s.Audio->mapToScene(s.Audio->mapToPosition(QPointF(bar.X, 0), s.Series4));
        painter->setBrush(ToQColor(bar.Colour));
        painter->drawRect(QRectF(top.x() - s.BarWidth / 2, top.y(), s.BarWidth, base.y() - top.y()));
    }
    painter->restore();
}

void FitAudioAxes(TMainFormChartsState& s);
void FitBarWidth(TMainFormChartsState& s);
void ShowActivitySeries(TMainFormChartsState& s);

void BuildAudioChart(TVarnockMainForm& form, TMainFormChartsState& s)
{
    s.Audio = PlainChart();
    s.Audio->setTitleFont(SmallFont());

    s.Series4 = new QCandlestickSeries;
    s.Series4->setObjectName(QStringLiteral("Series4"));
    s.Series4->setBodyOutlineVisible(false);
    s.Series4->setCapsVisible(false);
    s.Series4->setPen(Qt::NoPen);
    s.Series4->setIncreasingColor(Qt::transparent);
    s.Series4->setDecreasingColor(Qt::transparent);
    s.Series1 = new QLineSeries;
    s.Series1->setObjectName(QStringLiteral("Series1"));
    s.Series1->setColor(ToQColor(clGray));
    s.Series2 = new QLineSeries;
    s.Series2->setObjectName(QStringLiteral("Series2"));
    s.Series2->setColor(ToQColor(RGBColour(192, 192, 192)));
    // The trace lies behind the bars.
    s.Audio->addSeries(s.Series1);
    s.Audio->addSeries(s.Series2);
    s.Audio->addSeries(s.Series4);

    s.Bottom = new QValueAxis;
    s.Bottom->setLabelsFont(SmallFont());
    s.Bottom->setLabelFormat(QStringLiteral("%.3f"));
    s.Right = new QCategoryAxis;
    s.Right->setLabelsFont(SmallFont());
    s.Right->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    s.Left = new QValueAxis;
    s.Left->setRange(-30000, 30000);
    s.Left->setVisible(false);
    s.Top = new QValueAxis;
    s.Top->setVisible(false);
    s.Audio->addAxis(s.Bottom, Qt::AlignBottom);
    s.Audio->addAxis(s.Right, Qt::AlignRight);
    s.Audio->addAxis(s.Left, Qt::AlignLeft);
    s.Audio->addAxis(s.Top, Qt::AlignTop);
    s.Series4->attachAxis(s.Bottom);
    s.Series4->attachAxis(s.Right);
    for (QLineSeries* trace : {s.Series1, s.Series2}) {
        trace->attachAxis(s.Top);
        trace->attachAxis(s.Left);
    }

    s.AudioView = new TAudioChartView(s.Audio);
    s.AudioView->setObjectName(QStringLiteral("AudioChartView"));
    s.AudioView->setFrameShape(QFrame::NoFrame);
    s.AudioView->DrawBars = [&s](QPainter* painter) { PaintBars(painter, s); };
    s.AudioView->AfterDraw = [&form](QPainter* canvas) { form.AudioChartAfterDraw(canvas); };
    s.AudioView->ChartClick = [&form] { form.AudioChartClick(); };
    form.AudioChartLayout->addWidget(s.AudioView);

    QObject::connect(s.Series4, &QCandlestickSeries::clicked, &s.Guard, [&form, &s](QCandlestickSet* set) {
        s.AudioView->BarHit = true;
        form.DistributionBarClick(int(s.Series4->sets().indexOf(set)));
    });
    QObject::connect(s.Audio, &QChart::plotAreaChanged, &s.Guard, [&s] { FitBarWidth(s); });
    if (TAudioController* controller = form.AudioController()) {
        QObject::connect(
            controller, &TAudioController::TraceChanged, &s.Guard, [&s](const QList<QPointF>& points) {
                s.Series1->replace(points);
                s.Top->setRange(0, points.isEmpty() ? 1 : std::max(points.last().x(), 1.0));
            });
        QObject::connect(controller, &TAudioController::TraceColourChanged, &s.Guard, [&s](TColor colour) {
            s.Series1->setColor(ToQColor(colour));
            s.Series2->setColor(ToQColor(colour));
        });
    }
    // The grid marks its selected row while it paints; the chart follows within a quarter of a second.
    s.MarkerWatch.setInterval(250);
    QObject::connect(&s.MarkerWatch, &QTimer::timeout, &s.Guard, [&form, &s] {
        if (s.DrawnSelected != form.SelectedMarker || s.DrawnPlaying != form.PlayingMarker)
            s.AudioView->viewport()->update();
    });
    s.MarkerWatch.start();
    FitAudioAxes(s);
}

void BuildActivityChart(TVarnockMainForm& form, TMainFormChartsState& s)
{
    s.Activity = PlainChart();
    s.Activity->setTitleFont(SmallFont());
    s.Activity->setTitle(QStringLiteral(" "));

    s.LineSeries3 = new QLineSeries;
    s.LineSeries3->setObjectName(QStringLiteral("LineSeries3"));
    s.LineSeries3->setColor(Qt::red);
    s.LineSeries4 = new QLineSeries;
    s.LineSeries4->setObjectName(QStringLiteral("LineSeries4"));
    s.LineSeries4->setColor(ToQColor(clPurple));
    s.Activity->addSeries(s.LineSeries3);
    s.Activity->addSeries(s.LineSeries4);

    s.ActivityBottom = new QDateTimeAxis;
    s.ActivityBottom->setFormat(QStringLiteral("hh:mm:ss"));
    s.ActivityBottom->setLabelsFont(SmallFont());
    s.ActivityBottom->setTickCount(3);
    s.ActivityLeft = new QValueAxis;
    s.ActivityLeft->setTitleText(QStringLiteral("Squelch (Seconds)"));
    s.ActivityLeft->setLabelsColor(Qt::red);
    s.ActivityLeft->setTitleBrush(Qt::red);
    s.ActivityLeft->setGridLineColor(Qt::red);
    s.ActivityLeft->setLabelFormat(QStringLiteral("%g"));
    s.ActivityRight = new QValueAxis;
    s.ActivityRight->setTitleText(QStringLiteral("Activity"));
    s.ActivityRight->setLabelsColor(ToQColor(clPurple));
    s.ActivityRight->setTitleBrush(ToQColor(clPurple));
    s.ActivityRight->setGridLineVisible(false);
    s.ActivityRight->setLabelFormat(QStringLiteral("%g"));
    for (QValueAxis* axis : {s.ActivityLeft, s.ActivityRight}) {
        axis->setLabelsFont(SmallFont());
        axis->setTitleFont(SmallFont());
    }
    s.Activity->addAxis(s.ActivityBottom, Qt::AlignBottom);
    s.Activity->addAxis(s.ActivityLeft, Qt::AlignLeft);
    s.Activity->addAxis(s.ActivityRight, Qt::AlignRight);
    s.LineSeries3->attachAxis(s.ActivityBottom);
    s.LineSeries3->attachAxis(s.ActivityLeft);
    s.LineSeries4->attachAxis(s.ActivityBottom);
    s.LineSeries4->attachAxis(s.ActivityRight);

    s.ActivityView = new QChartView(s.Activity);
    s.ActivityView->setObjectName(QStringLiteral("ActivityChartView"));
    s.ActivityView->setFrameShape(QFrame::NoFrame);
    form.ActivityChartLayout->addWidget(s.ActivityView);
    ShowActivitySeries(s);
}

void ShowAllBars(TMainFormChartsState& s)
{
    QCandlestickSeries* series = s.Series4;
    series->clear();
    QList<QCandlestickSet*> sets;
    for (const TDistributionBar& bar : s.Bars.Bars())
        sets.append(MakeBarSet(bar));
    series->append(sets);
    FitAudioAxes(s);
    s.AudioView->viewport()->update();
}

void FitAudioAxes(TMainFormChartsState& s)
{
    const TDistributionBars& bars = s.Bars;
    double top = 0;
    for (const TDistributionBar& bar : bars.Bars())
        top = std::max(top, bar.Y);
    LabelDurationAxis(s.Right, top);
    if (bars.Count() == 0) {
        s.Bottom->setRange(0, 1);
    } else {
        const double low = bars.Bars().front().X;
        const double high = bars.Bars().back().X;
        const double pad = std::max((high - low) * 0.05, 0.01);
        s.Bottom->setRange(low - pad, high + pad);
    }
    FitBarWidth(s);
}

void FitBarWidth(TMainFormChartsState& s)
{
    // Each bar takes 30 % of its share of the plot's width.
    const int count = std::max(s.Bars.Count(), 1);
    s.BarWidth = std::clamp(s.Audio->plotArea().width() / count * 0.3, 2.0, 24.0);
    s.Series4->setBodyWidth(1.0);
    s.Series4->setMinimumColumnWidth(s.BarWidth);
    s.Series4->setMaximumColumnWidth(s.BarWidth);
}

void ShowActivitySeries(TMainFormChartsState& s)
{
    s.LineSeries3->replace(ChartPoints(s.Squelch));
    s.LineSeries4->replace(ChartPoints(s.Openings));
    TDateTime first = 0;
    TDateTime last = 0;
    for (const TActivitySeries* series : {&s.Squelch, &s.Openings}) {
        if (series->empty())
            continue;
        first = first == 0 ? series->front().x() : std::min(first, series->front().x());
        last = std::max(last, series->back().x());
    }
    if (first == 0) {
        const TDateTime now = Now();
        first = now - 1.0 / 24;
        last = now;
    } else if (last - first < 5.0 / 1440) {
        first = last - 5.0 / 1440;
    }
    s.ActivityBottom->setRange(QDateTimeFromDateTime(first), QDateTimeFromDateTime(last));
    FitValueAxis(s.ActivityLeft, s.Squelch);
    FitValueAxis(s.ActivityRight, s.Openings);
}

} // namespace

void TVarnockMainForm::LoadSeries()
{
    if (!ChartsState) {
        ChartsState.reset(new TMainFormChartsState);
        BuildAudioChart(*this, *ChartsState);
        BuildActivityChart(*this, *ChartsState);
    }
    if (!DataModule1)
        return;
    const QSqlDatabase database = DataModule1->Database();
    const auto load = [&](const QString& table, auto&& use) {
        try {
            use(LoadSeriesPoints(database, table));
        } catch (const std::exception& error) {
            // As an error reaching the event loop would be: the start-up goes on without this series.
            ApplicationEvents1Exception(QString::fromUtf8(error.what()));
        }
    };
    load(FrequencyDistributionSeriesTable, [this](const std::vector<QPointF>& points) {
        for (const QPointF& p : points) {
            const auto frequency = std::int32_t(std::llround(p.x() * 1000000.0));
            quint32 displayColour = 0;
            bool readOnly = false;
            bool hold = false;
            bool switchOn = false;
            TColor colour = DistributionSeriesColour;
            if (DataModule1->GetSpecialFrequencyAttributes(
                    frequency, displayColour, readOnly, hold, switchOn))
                colour = displayColour;
            ChartsState->Bars.Add(p.x(), p.y(), colour);
        }
    });
    load(ActivityChartActivitySeriesTable, [this](const std::vector<QPointF>& points) {
        ChartsState->Openings.assign(points.begin(), points.end());
    });
    load(ActivityChartSquelchSeriesTable, [this](const std::vector<QPointF>& points) {
        ChartsState->Squelch.assign(points.begin(), points.end());
    });
    ShowAllBars(*ChartsState);
    ShowActivitySeries(*ChartsState);
}

void TVarnockMainForm::SaveSeries()
{
    if (!ChartsState || !DataModule1)
        return;
    std::vector<QPointF> bars;
    for (const TDistributionBar& bar : ChartsState->Bars.Bars())
        bars.emplace_back(bar.X, bar.Y);
    const QSqlDatabase database = DataModule1->Database();
    const auto save = [&](const QString& table, const std::vector<QPointF>& points) {
        try {
            SaveSeriesPoints(database, table, points);
        } catch (const std::exception& error) {
            // Logged as the event loop would; the closing goes on and the driver is still freed.
            ApplicationEvents1Exception(QString::fromUtf8(error.what()));
        }
    };
    save(FrequencyDistributionSeriesTable, bars);
    save(ActivityChartActivitySeriesTable, ChartsState->Openings);
    save(ActivityChartSquelchSeriesTable, ChartsState->Squelch);
}

void TVarnockMainForm::UpdateDistributionBar(std::int32_t frequency, TColor colour, double totalDuration)
{
    if (!ChartsState)
        return;
    TDistributionBars& bars = ChartsState->Bars;
    const int before = bars.Count();
    const int index = bars.Update(frequency, colour, totalDuration);
    if (index < 0)
        return;
    if (bars.Count() != before) {
        ChartsState->Series4->insert(index, MakeBarSet(bars.At(index)));
    } else {
        QCandlestickSet* set = ChartsState->Series4->sets().at(index);
        set->setHigh(totalDuration);
        set->setClose(totalDuration);
    }
    FitAudioAxes(*ChartsState);
    ChartsState->AudioView->viewport()->update();
}

void TVarnockMainForm::AddActivityPoint(int binMinutes, int windowMinutes, double y0, TDateTime t)
{
    if (!ChartsState)
        return;
    AdvanceActivitySeries(ChartsState->Squelch, binMinutes, windowMinutes, y0, t);
    AdvanceActivitySeries(ChartsState->Openings, binMinutes, windowMinutes, 1, t);
    ShowActivitySeries(*ChartsState);
    ChartsState->Activity->setTitle(ActivityTitle(ChartsState->Squelch, ChartsState->Openings));
}

void TVarnockMainForm::ClearCharts()
{
    if (!ChartsState)
        return;
    ChartsState->Bars.Clear();
    ChartsState->Squelch.clear();
    ChartsState->Openings.clear();
    ShowAllBars(*ChartsState);
    ShowActivitySeries(*ChartsState);
    ChartsState->Activity->setTitle(QString());
}

void TVarnockMainForm::DistributionBarClick(int index)
{
    if (!ChartsState || index < 0 || index >= ChartsState->Bars.Count())
        return;
    const TDistributionBar& bar = ChartsState->Bars.At(index);
    int receiveMode = -1;
    QString shortComment;
    QString longComment;
    const bool found = DataModule1
        && DataModule1->LookupFrequency(BarFrequency(bar), receiveMode, shortComment, longComment);
    QChart* chart = ChartsState->Audio;
    chart->setTitleBrush(bar.Colour == DistributionSeriesColour ? QColor(Qt::black) : ToQColor(bar.Colour));
    chart->setTitle(DistributionBarTitle(bar, found, shortComment, longComment));
}

void TVarnockMainForm::AudioChartClick()
{
    if (ChartsState)
        ChartsState->Audio->setTitle(QString());
}

void TVarnockMainForm::AudioChartAfterDraw(QPainter* canvas)
{
    if (!ChartsState)
        return;
    try {
        DrawFrequencyMarker(canvas, PlayingMarker, true);
        DrawFrequencyMarker(canvas, SelectedMarker, false);
        ChartsState->DrawnPlaying = PlayingMarker;
        ChartsState->DrawnSelected = SelectedMarker;
    } catch (const std::exception& error) {
        AddToEventLog(
            QStringLiteral("TVarnockMainForm.AudioChartBeforeDrawSeries ") + QString::fromUtf8(error.what()),
            clRed, true);
    }
}

void TVarnockMainForm::DrawFrequencyMarker(QPainter* canvas, const TFrequencyMarker& marker, bool disc)
{
    if (marker.Frequency <= 0)
        return;
    QChart* chart = ChartsState->Audio;
    const QPointF at = chart->mapToScene(
        chart->mapToPosition(QPointF(marker.Frequency / 1000000.0, 0), ChartsState->Series4));
    const double x = std::round(at.x());
    const double h = std::round(chart->mapToScene(QPointF(0, chart->size().height())).y());
    canvas->save();
    canvas->setRenderHint(QPainter::Antialiasing);
    canvas->setPen(ToQColor(marker.PenColour));
    canvas->setBrush(ToQColor(marker.BrushColour));
    if (disc) {
        canvas->drawEllipse(QRectF(QPointF(x - 4, h - 9), QPointF(x + 4, h - 1)));
    } else {
        // A filled arrow pointing up from the bottom edge: head 8 wide and 8 high.
        QPainterPath arrow;
        arrow.moveTo(x, h - 9);
        arrow.lineTo(x + 4, h - 1);
        arrow.lineTo(x - 4, h - 1);
        arrow.closeSubpath();
        canvas->drawPath(arrow);
        canvas->drawLine(QPointF(x, h - 1), QPointF(x, h - 9));
    }
    canvas->restore();
}
