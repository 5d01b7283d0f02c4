#pragma once
// PCM audio formats of capture and live output, laid out like the sound API's format record.

#include <QtGlobal>

struct TAudioFormat {
    quint16 FormatTag = 1; // 1 = PCM
    quint16 Channels = 1;
    quint32 SamplesPerSec = 22050;
    quint32 AvgBytesPerSec = 0;
    quint16 BlockAlign = 0;
    quint16 BitsPerSample = 16;
    quint16 ExtraSize = 0;

    bool operator==(const TAudioFormat&) const = default;
};

constexpr quint16 WavePcmFormatTag = 1;

inline int BytesPerSample(const TAudioFormat& format)
{
    return (format.BitsPerSample + 7) / 8;
}

// Block align and average bytes per second follow from the other fields.
TAudioFormat CompleteAudioFormat(TAudioFormat format);

// The formats as created (mono) and as the program runs them (stereo, 88 200 bytes a second).
TAudioFormat InitialAudioFormat();
TAudioFormat RunningAudioFormat();

// A capture buffer holds a quarter of a second: 22 048 bytes for the running format.
qsizetype CaptureBufferBytes(const TAudioFormat& format);
