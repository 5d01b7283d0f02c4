#pragma once
// The waveform trace of a captured buffer: every tenth frame of one channel.

#include "audio/AudioFormatUnit.h"

#include <QList>
#include <QPointF>

#include <stdexcept>

class EAudioTrace : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The channel the audio chart draws on its first trace series.
constexpr int TracedChannel = 1;
constexpr int TraceFrameStep = 10;

// Points (x, sample) for frames 0, 10, 20, ... while the frame is below frames - 10; 551 points for a full
// running-format buffer. Empty when the format has no such channel or there is no data. Samples are signed
// for 16 bits, the byte minus 128 for 8 bits; other sizes raise "Unexpected BytesPerSample " + the size.
QList<QPointF> ExtractTraceChannel(
    const char* data, qint64 bytesRecorded, const TAudioFormat& format, int channel = TracedChannel);
