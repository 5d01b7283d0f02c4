#pragma once
// Collects the event log's lines during a test (message without the time stamp, and colour).

#include "app/EventLogUnit.h"

#include <QStringList>

#include <vector>

class TEventLogCapture : public EventLogSink {
public:
    TEventLogCapture() { SetEventLogSink(this); }
    ~TEventLogCapture() override { SetEventLogSink(nullptr); }

    void AppendLine(const EventLogLine& line) override
    {
        const qsizetype stampEnd = line.text.indexOf(QStringLiteral("  "));
        Lines.push_back({stampEnd < 0 ? line.text : line.text.mid(stampEnd + 2), line.colour});
    }

    QStringList Messages() const
    {
        QStringList messages;
        for (const EventLogLine& line : Lines) {
            messages.append(line.text);
        }
        return messages;
    }

    std::vector<TColor> Colours() const
    {
        std::vector<TColor> colours;
        for (const EventLogLine& line : Lines) {
            colours.push_back(line.colour);
        }
        return colours;
    }

    void Clear() { Lines.clear(); }

    std::vector<EventLogLine> Lines;
};
