#include "audio/AudioTraceUnit.h"

#include <QtEndian>

#include <algorithm>

#include <string>

namespace {

double SampleAt(const uchar* frame, int bytesPerSample)
{
    if (bytesPerSample == 2) {
        return qFromLittleEndian<qint16>(frame);
    }
    return int(frame[0]) - 128;
}

} // namespace

QList<QPointF> ExtractTraceChannel(
    const char* data, qint64 bytesRecorded, const TAudioFormat& format, int channel)
{
    QList<QPointF> points;
    if (data == nullptr || channel < 0 || channel >= format.Channels) {
        return points;
    }
    const int bytesPerSample = BytesPerSample(format);
    if (bytesPerSample != 1 && bytesPerSample != 2) {
        throw EAudioTrace("Unexpected BytesPerSample " + std::to_string(bytesPerSample));
    }
    const qint64 frameBytes = qint64(bytesPerSample) * format.Channels;
    const qint64 frames = bytesRecorded / frameBytes;
    const auto* bytes = reinterpret_cast<const uchar*>(data);
    points.reserve(qsizetype(std::max<qint64>(0, frames / TraceFrameStep + 1)));
    for (qint64 frame = 0; frame < frames - TraceFrameStep; frame += TraceFrameStep) {
        const uchar* sample = bytes + frame * frameBytes + qint64(channel) * bytesPerSample;
        points.append(QPointF(double(frame), SampleAt(sample, bytesPerSample)));
    }
    return points;
}
