#include "audio/AudioFormatUnit.h"

TAudioFormat CompleteAudioFormat(TAudioFormat format)
{
    format.BlockAlign = quint16(BytesPerSample(format) * format.Channels);
    format.AvgBytesPerSec = format.SamplesPerSec * format.BlockAlign;
    return format;
}

TAudioFormat InitialAudioFormat()
{
    return CompleteAudioFormat(TAudioFormat {});
}

TAudioFormat RunningAudioFormat()
{
    TAudioFormat format;
    format.Channels = 2;
    format.SamplesPerSec = 22050;
    format.BitsPerSample = 16;
    return CompleteAudioFormat(format);
}

qsizetype CaptureBufferBytes(const TAudioFormat& format)
{
    return qsizetype(BytesPerSample(format)) * (format.SamplesPerSec / 4) * format.Channels;
}
