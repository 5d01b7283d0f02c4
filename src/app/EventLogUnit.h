#pragma once
// The program's event log as the core sees it: every part appends coloured lines through AddToEventLog.
// The event log window registers itself as the sink; lines logged before it exists are kept and handed to it
// when it registers, so start-up problems (a receiver not found, say) are not lost.

#include "support/Colour.h"

#include <QString>

#include <functional>
#include <vector>

struct EventLogLine {
    QString text; // time stamp, two blanks, message
    TColor colour;
};

class EventLogSink {
public:
    virtual ~EventLogSink() = default;
    virtual void AppendLine(const EventLogLine& line) = 0;
};

// Appends one line (time stamp, two blanks, message) in colour; beeps when asked, also without a window.
void AddToEventLog(const QString& message, TColor colour, bool beep);

// The window calls this when it is created (receiving the lines kept so far) and with nullptr when it goes.
void SetEventLogSink(EventLogSink* sink);

// How a beep is sounded; the widgets library installs QApplication::beep.
void SetEventLogBeeper(std::function<void()> beeper);

// Lines kept while no window exists (bounded like the window's content).
std::vector<EventLogLine> PendingEventLogLines();
