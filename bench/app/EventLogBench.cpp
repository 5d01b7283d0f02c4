// Cost of one AddToEventLog line with the event log window holding 1000, 5000 and 10000 lines (at 10000 every
// line also removes the oldest). Prints the median and 90th percentile per line, window hidden and shown.

#include "app/EventLogFormUnit.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int Samples = 500;

void Fill(TEventLogForm& form, int lines)
{
    form.ClearLog();
    for (int i = 0; i < lines; ++i)
        AddToEventLog(QStringLiteral("145.500000 MHz  squelch opened  A01 Marine Ch16 filler %1").arg(i),
            i % 2 ? clGreen : clRed, false);
}

void Measure(TEventLogForm& form, int lines, const char* state)
{
    Fill(form, lines);
    std::vector<double> costs;
    costs.reserve(Samples);
    QElapsedTimer timer;
    for (int i = 0; i < Samples; ++i) {
        const QString message = QStringLiteral("146.520000 MHz  squelch closed  line %1").arg(i);
        timer.start();
        AddToEventLog(message, i % 3 ? clGreen : clPurple, false);
        costs.push_back(double(timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    std::sort(costs.begin(), costs.end());
    std::printf("AddToEventLog  %-6s  %5d lines held  median %.4f ms  p90 %.4f ms  (content %d lines)\n",
        state, lines, costs[costs.size() / 2], costs[costs.size() * 9 / 10], form.LineCount());
}
} // namespace

int main(int argc, char** argv)
{
    qputenv(
        "QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    TEventLogForm form;
    for (const bool shown : {false, true}) {
        form.setVisible(shown);
        for (const int lines : {1000, 5000, TEventLogForm::MaximumLines})
            Measure(form, lines, shown ? "shown" : "hidden");
    }
    return 0;
}
