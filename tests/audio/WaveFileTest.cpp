// The WAV writer: the exact bytes of a closed file, files cut off by a kill or a full disk, failing opens.

#include "audio/WaveFileUnit.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 LE32At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

QByteArray Samples(int count, int seed)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i) {
        bytes[i] = char((i * 7 + seed) & 0xFF);
    }
    return bytes;
}

// soxi's view of a file, or empty when soxi is not installed.
QString Soxi(const QString& option, const QString& path)
{
    if (QStandardPaths::findExecutable("soxi").isEmpty()) {
        return {};
    }
    QProcess soxi;
    soxi.start("soxi", {option, path});
    soxi.waitForFinished(10000);
    return QString::fromUtf8(soxi.readAllStandardOutput()).trimmed();
}

// Runs body in a child process that ends without any clean-up; returns the child's exit code or -signal.
template <typename Body> int InChild(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace

class WaveFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closedFileIsTheClassicLayout();
    void oddDataIsPadded();
    void soxiReadsTheFile();
    void killedRecordingStillPlays();
    void fullDiskKeepsWholeBuffers_data();
    void fullDiskKeepsWholeBuffers();
    void openFailureLeavesNothing();

private:
    QTemporaryDir Folder;
};

void WaveFileTest::closedFileIsTheClassicLayout()
{
    const QString path = Folder.filePath("layout.Wav");
    const QByteArray first = Samples(8, 1);
    const QByteArray second = Samples(4, 9);
    {
        TWaveFileWriter writer;
        writer.OpenWaveFile(path, RunningAudioFormat());
        writer.WriteWaveData(first.constData(), first.size());
        writer.WriteWaveData(second.constData(), second.size());
        QCOMPARE(writer.RecordedDataBytes(), 12);
        writer.CloseWaveFile();
    }
    const QByteArray expected = QByteArray::fromHex("52494646" // RIFF
                                                    "30000000" // 36 + 12
                                                    "57415645" // WAVE
                                                    "666d7420" // "fmt "
                                                    "10000000" // 16
                                                    "0100" // PCM
                                                    "0200" // 2 channels
                                                    "22560000" // 22050
                                                    "88580100" // 88200
                                                    "0400" // block align 4
                                                    "1000" // 16 bits
                                                    "64617461" // data
                                                    "0c000000") // 12
        + first + second;
    QCOMPARE(ReadAll(path).toHex(), expected.toHex());
}

void WaveFileTest::oddDataIsPadded()
{
    TAudioFormat format;
    format.Channels = 1;
    format.SamplesPerSec = 8000;
    format.BitsPerSample = 8;
    format = CompleteAudioFormat(format);
    const QString path = Folder.filePath("odd.Wav");
    const QByteArray samples = Samples(3, 4);
    TWaveFileWriter writer;
    writer.OpenWaveFile(path, format);
    writer.WriteWaveData(samples.constData(), samples.size());
    writer.CloseWaveFile();

    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), 44 + 3 + 1);
    QCOMPARE(LE32At(bytes, 4), 36u + 3u + 1u);
    QCOMPARE(LE32At(bytes, 40), 3u);
    QCOMPARE(bytes.mid(44, 3), samples);
    QCOMPARE(bytes.at(47), '\0');
}

void WaveFileTest::soxiReadsTheFile()
{
    const QString path = Folder.filePath("soxi.Wav");
    const QByteArray buffer = Samples(int(CaptureBufferBytes(RunningAudioFormat())), 3);
    TWaveFileWriter writer;
    writer.OpenWaveFile(path, RunningAudioFormat());
    for (int i = 0; i < 3; ++i) {
        writer.WriteWaveData(buffer.constData(), buffer.size());
    }
    writer.CloseWaveFile();
    if (Soxi("-r", path).isEmpty()) {
        QSKIP("soxi is not installed");
    }
    QCOMPARE(Soxi("-r", path), QString("22050"));
    QCOMPARE(Soxi("-c", path), QString("2"));
    QCOMPARE(Soxi("-b", path), QString("16"));
    QCOMPARE(Soxi("-s", path), QString::number(3 * 5512));
}

void WaveFileTest::killedRecordingStillPlays()
{
    const QString path = Folder.filePath("killed.Wav");
    const QByteArray buffer = Samples(int(CaptureBufferBytes(RunningAudioFormat())), 5);
    const int result = InChild([&] {
        TWaveFileWriter writer;
        writer.OpenWaveFile(path, RunningAudioFormat());
        writer.WriteWaveData(buffer.constData(), buffer.size());
        writer.WriteWaveData(buffer.constData(), buffer.size());
        raise(SIGKILL); // no destructor, no close
        return 0;
    });
    QCOMPARE(result, -SIGKILL);

    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), 44 + 2 * buffer.size());
    QCOMPARE(LE32At(bytes, 4), quint32(36 + 2 * buffer.size()));
    QCOMPARE(LE32At(bytes, 40), quint32(2 * buffer.size()));
    QCOMPARE(bytes.mid(44 + buffer.size()), buffer);
    if (!Soxi("-s", path).isEmpty()) {
        QCOMPARE(Soxi("-s", path), QString::number(2 * 5512));
    }
}

void WaveFileTest::fullDiskKeepsWholeBuffers_data()
{
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<int>("buffersKept");
    // The limit falls inside the second buffer: the file keeps exactly one, its header says so.
    QTest::newRow("second buffer cut") << 44 + 22048 + 1000 << 1;
    QTest::newRow("first buffer cut") << 44 + 100 << 0;
}

void WaveFileTest::fullDiskKeepsWholeBuffers()
{
    QFETCH(int, sizeLimit);
    QFETCH(int, buffersKept);
    const QString path = Folder.filePath(QString("full%1.Wav").arg(sizeLimit));
    const QByteArray buffer = Samples(int(CaptureBufferBytes(RunningAudioFormat())), 6);
    const int result = InChild([&] {
        signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG, like a full disk with ENOSPC
        const rlimit limit {rlim_t(sizeLimit), rlim_t(sizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
        TWaveFileWriter writer;
        writer.OpenWaveFile(path, RunningAudioFormat());
        int written = 0;
        try {
            writer.WriteWaveData(buffer.constData(), buffer.size());
            ++written;
            writer.WriteWaveData(buffer.constData(), buffer.size());
            ++written;
        } catch (const EWaveFile& error) {
            if (std::string(error.what()).rfind("mmioWrite", 0) != 0) {
                return 100;
            }
        }
        writer.CloseWaveFile();
        return written;
    });
    QCOMPARE(result, buffersKept);

    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), 44 + buffersKept * buffer.size());
    QCOMPARE(LE32At(bytes, 4), quint32(36 + buffersKept * buffer.size()));
    QCOMPARE(LE32At(bytes, 40), quint32(buffersKept * buffer.size()));
}

void WaveFileTest::openFailureLeavesNothing()
{
    const QString missingFolder = Folder.filePath("no/such/folder/x.Wav");
    TWaveFileWriter writer;
    try {
        writer.OpenWaveFile(missingFolder, RunningAudioFormat());
        QFAIL("opened a file in a missing folder");
    } catch (const EWaveFile& error) {
        QVERIFY2(QString(error.what()).startsWith("mmioOpen "), error.what());
    }
    QVERIFY(!writer.IsOpen());

    // The header itself does not fit: the file was created, and must be gone again.
    const QString path = Folder.filePath("noroom.Wav");
    const int result = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {20, 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        TWaveFileWriter child;
        try {
            child.OpenWaveFile(path, RunningAudioFormat());
        } catch (const EWaveFile& error) {
            return std::string(error.what()).rfind("mmioWrite", 0) == 0 && !child.IsOpen() ? 0 : 2;
        }
        return 1;
    });
    QCOMPARE(result, 0);
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(WaveFileTest)
#include "WaveFileTest.moc"
