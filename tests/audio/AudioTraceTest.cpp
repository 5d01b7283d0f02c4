// The waveform trace of a capture buffer.

#include "audio/AudioTraceUnit.h"

#include <QTest>
#include <QtEndian>

namespace {

// Stereo 16-bit frames whose left sample is -frame and right sample is the frame number.
QByteArray NumberedStereoFrames(int frames)
{
    QByteArray bytes(frames * 4, '\0');
    for (int frame = 0; frame < frames; ++frame) {
        qToLittleEndian<qint16>(qint16(-frame), bytes.data() + frame * 4);
        qToLittleEndian<qint16>(qint16(frame), bytes.data() + frame * 4 + 2);
    }
    return bytes;
}

TAudioFormat Format(int channels, int bits)
{
    TAudioFormat format;
    format.Channels = quint16(channels);
    format.BitsPerSample = quint16(bits);
    return CompleteAudioFormat(format);
}

} // namespace

class AudioTraceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullBufferGives551PointsOfChannelOne();
    void pointCount_data();
    void pointCount();
    void eightBitSamplesAreCentred();
    void unexpectedSampleSizeRaises();
};

void AudioTraceTest::fullBufferGives551PointsOfChannelOne()
{
    const QByteArray buffer = NumberedStereoFrames(5512);
    QCOMPARE(buffer.size(), CaptureBufferBytes(RunningAudioFormat()));
    const QList<QPointF> points
        = ExtractTraceChannel(buffer.constData(), buffer.size(), RunningAudioFormat());
    QCOMPARE(points.size(), 551);
    QCOMPARE(points.first(), QPointF(0, 0));
    QCOMPARE(points.at(1), QPointF(10, 10));
    QCOMPARE(points.last(), QPointF(5500, 5500));
}

void AudioTraceTest::pointCount_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("points");
    QTest::newRow("mono has no channel 1") << 1 << 22048 << 0;
    QTest::newRow("ten frames") << 2 << 40 << 0;
    QTest::newRow("eleven frames") << 2 << 44 << 1;
    QTest::newRow("partial frame ignored") << 2 << 46 << 1;
    QTest::newRow("no data") << 2 << 0 << 0;
}

void AudioTraceTest::pointCount()
{
    QFETCH(int, channels);
    QFETCH(int, bytes);
    QFETCH(int, points);
    const QByteArray buffer(bytes, '\0');
    QCOMPARE(ExtractTraceChannel(buffer.constData(), bytes, Format(channels, 16)).size(), points);
}

void AudioTraceTest::eightBitSamplesAreCentred()
{
    QByteArray buffer(2 * 21, '\0');
    buffer[1] = char(200);
    buffer[21] = char(0);
    const QList<QPointF> points = ExtractTraceChannel(buffer.constData(), buffer.size(), Format(2, 8));
    QCOMPARE(points, QList<QPointF>({QPointF(0, 72), QPointF(10, -128)}));
}

void AudioTraceTest::unexpectedSampleSizeRaises()
{
    const QByteArray buffer(600, '\0');
    try {
        ExtractTraceChannel(buffer.constData(), buffer.size(), Format(2, 24));
        QFAIL("24-bit samples were traced");
    } catch (const EAudioTrace& error) {
        QCOMPARE(QString(error.what()), QString("Unexpected BytesPerSample 3"));
    }
}

QTEST_GUILESS_MAIN(AudioTraceTest)
#include "AudioTraceTest.moc"
