#include "app/EventLogUnit.h"

#include "support/DateTimeUnit.h"

#include <deque>

namespace {
constexpr std::size_t MaximumPendingLines = 10000;

struct EventLogState {
    EventLogSink* sink = nullptr;
    std::function<void()> beeper;
    std::deque<EventLogLine> pending;
};

EventLogState& State()
{
    static EventLogState state;
    return state;
}
} // namespace

void AddToEventLog(const QString& message, TColor colour, bool beep)
{
    EventLogState& state = State();
    EventLogLine line {FormatDateTime(Now()) + QStringLiteral("  ") + message, colour};
    if (state.sink) {
        state.sink->AppendLine(line);
    } else {
        if (state.pending.size() >= MaximumPendingLines)
            state.pending.pop_front();
        state.pending.push_back(std::move(line));
    }
    if (beep && state.beeper)
        state.beeper();
}

void SetEventLogSink(EventLogSink* sink)
{
    EventLogState& state = State();
    state.sink = sink;
    if (!sink)
        return;
    while (!state.pending.empty()) {
        sink->AppendLine(state.pending.front());
        state.pending.pop_front();
    }
}

void SetEventLogBeeper(std::function<void()> beeper)
{
    State().beeper = std::move(beeper);
}

std::vector<EventLogLine> PendingEventLogLines()
{
    const auto& pending = State().pending;
    return {pending.begin(), pending.end()};
}
