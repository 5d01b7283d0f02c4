// The audio chart and the activity chart of the main window. (Stubs until they are wired in.)

#include "monitor/MainFormUnit.h"

struct TMainFormChartsState { };

void TMainFormChartsStateDeleter::operator()(TMainFormChartsState* state) const
{
    delete state;
}

void TVarnockMainForm::LoadSeries()
{
    // Start-up step 6: the charts in their containers, the bars' click handler, the three saved series.
}

void TVarnockMainForm::SaveSeries()
{
    // FormClose: the three series into their tables.
}

void TVarnockMainForm::UpdateDistributionBar(
    std::int32_t /*frequency*/, TColor /*colour*/, double /*totalDuration*/)
{
    // The frequency's bar shows its total open time.
}

void TVarnockMainForm::AddActivityPoint(
    int /*binMinutes*/, int /*windowMinutes*/, double /*y0*/, TDateTime /*t*/)
{
    // Advances both activity series and sets the chart's title.
}

void TVarnockMainForm::ClearCharts()
{
    // Clears the bars, every activity series and the activity chart's title.
}

void TVarnockMainForm::AudioChartClick()
{
    // Hides the audio chart's title.
}
