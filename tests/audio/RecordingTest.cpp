// Recording folder and file names, and one recording from start to stop with its log lines.

#include "EventLogCapture.h"
#include "audio/RecordingUnit.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class RecordingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordingDirectory_data();
    void recordingDirectory();
    void waveFileName_data();
    void waveFileName();
    void recordingLogsStartAndStop();
    void emptyRecordingIsDeleted();
    void sameNameTwiceDoesNothing();
    void newStartStopsTheRunningRecording();
    void failedStartLeavesNoFileAndNoRecording();
    void readOnlyKeepsReadPermissions();
};

void RecordingTest::recordingDirectory_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("documents");
    QTest::addColumn<QString>("expected");
    QTest::newRow("option") << "/srv/radio"
                            << "/home/u/Documents"
                            << "/srv/radio/Varnock/";
    QTest::newRow("option with delimiters") << "/srv/radio//"
                                            << "/home/u/Documents"
                                            << "/srv/radio/Varnock/";
    QTest::newRow("root") << "/"
                          << "/home/u/Documents"
                          << "/Varnock/";
    QTest::newRow("documents") << ""
                               << "/home/u/Documents"
                               << "/home/u/Documents/Varnock/";
    QTest::newRow("neither") << ""
                             << ""
                             << "Varnock/";
}

void RecordingTest::recordingDirectory()
{
    QFETCH(QString, option);
    QFETCH(QString, documents);
    QFETCH(QString, expected);
    QCOMPARE(RecordingDirectoryPath(option, documents, "Varnock"), expected);
}

void RecordingTest::waveFileName_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one blank") << 145500000 << "/r/ 145.500000 MHz_20240131_142305.123.Wav";
    QTest::newRow("two blanks") << 27555000 << "/r/  27.555000 MHz_20240131_142305.123.Wav";
    QTest::newRow("no blank") << 1296000000 << "/r/1296.000000 MHz_20240131_142305.123.Wav";
}

void RecordingTest::waveFileName()
{
    QFETCH(int, frequency);
    QFETCH(QString, expected);
    const QDateTime moment(QDate(2024, 1, 31), QTime(14, 23, 5, 123));
    QCOMPARE(MakeWaveFileName("/r/", frequency, moment), expected);
}

void RecordingTest::recordingLogsStartAndStop()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRecorder recorder;
    recorder.SetRecordingDirectory(folder.path() + '/');
    QSignalSpy captions(&recorder, &TRecorder::CaptionChanged);
    QSignalSpy colours(&recorder, &TRecorder::TraceColourChanged);

    const QString name = recorder.MakeWaveFileName(145500000);
    QVERIFY(name.startsWith(folder.path() + "/ 145.500000 MHz_"));
    QVERIFY(recorder.StartRecording(name, RunningAudioFormat()));
    QCOMPARE(recorder.CurrentRecordingFileName(), name);
    const QByteArray samples(400, '\x11');
    recorder.WriteWaveData(samples.constData(), samples.size());
    recorder.StopRecording();

    QVERIFY(!recorder.IsRecording());
    QCOMPARE(QFile(name).size(), 44 + 400);
    QCOMPARE(log.Messages(),
        QStringList({"Recording Start " + name, "Recording Stop " + name + "  400 data bytes"}));
    QCOMPARE(log.Colours(), std::vector<TColor>({clPurple, clPurple}));
    QCOMPARE(captions.size(), 2);
    QCOMPARE(captions.at(0).at(0).toString(), "Varnock " + QFileInfo(name).fileName());
    QCOMPARE(captions.at(1).at(0).toString(), QString("Varnock"));
    QCOMPARE(colours.at(0).at(0).value<TColor>(), clGreen);
    QCOMPARE(colours.at(1).at(0).value<TColor>(), clGray);
}

void RecordingTest::emptyRecordingIsDeleted()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRecorder recorder;
    const QString name = folder.filePath("empty.Wav");
    QVERIFY(recorder.StartRecording(name, RunningAudioFormat()));
    recorder.StopRecording();

    QVERIFY(!QFile::exists(name));
    QCOMPARE(log.Messages().mid(1),
        QStringList({"Recording Stop " + name + "  0 data bytes", name + " contains no data - deleted"}));
    QCOMPARE(log.Lines.back().colour, clBlue);

    // Stopping with nothing recording only resets caption and traces.
    log.Clear();
    QSignalSpy colours(&recorder, &TRecorder::TraceColourChanged);
    recorder.StopRecording();
    QVERIFY(log.Lines.empty());
    QCOMPARE(colours.size(), 1);
}

void RecordingTest::sameNameTwiceDoesNothing()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRecorder recorder;
    const QString name = folder.filePath("same.Wav");
    QVERIFY(recorder.StartRecording(name, RunningAudioFormat()));
    const QByteArray samples(8, '\x22');
    recorder.WriteWaveData(samples.constData(), samples.size());
    QVERIFY(recorder.StartRecording(name, RunningAudioFormat()));
    QCOMPARE(recorder.RecordedDataBytes(), 8);
    QCOMPARE(log.Lines.size(), std::size_t(1));
}

void RecordingTest::newStartStopsTheRunningRecording()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRecorder recorder;
    const QString first = folder.filePath("first.Wav");
    const QString second = folder.filePath("second.Wav");
    const QByteArray samples(8, '\x33');
    QVERIFY(recorder.StartRecording(first, RunningAudioFormat()));
    recorder.WriteWaveData(samples.constData(), samples.size());
    QVERIFY(recorder.StartRecording(second, RunningAudioFormat()));

    QCOMPARE(log.Messages(),
        QStringList({"Recording Start " + first, "Recording Stop " + first + "  8 data bytes",
            "Recording Start " + second}));
    QCOMPARE(QFile(first).size(), 44 + 8);
    QCOMPARE(recorder.CurrentRecordingFileName(), second);
}

void RecordingTest::failedStartLeavesNoFileAndNoRecording()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRecorder recorder;
    const QString name = folder.filePath("missing/x.Wav");
    QVERIFY(!recorder.StartRecording(name, RunningAudioFormat()));

    QVERIFY(!recorder.IsRecording());
    QVERIFY(!QFile::exists(name));
    QCOMPARE(log.Lines.size(), std::size_t(1));
    QCOMPARE(log.Lines[0].colour, clRed);
    QVERIFY(log.Lines[0].text.startsWith("TVarnockMainForm.StartRecording " + name));
    // Buffers arriving now are not written anywhere.
    const QByteArray samples(8, '\x44');
    recorder.WriteWaveData(samples.constData(), samples.size());
    QCOMPARE(log.Lines.size(), std::size_t(1));
}

void RecordingTest::readOnlyKeepsReadPermissions()
{
    QTemporaryDir folder;
    const QString name = folder.filePath("special.Wav");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
        | QFileDevice::WriteGroup | QFileDevice::ReadOther));
    QVERIFY(MakeRecordingReadOnly(name));
    const QFileDevice::Permissions readable
        = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QCOMPARE(QFile(name).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), readable);
    QVERIFY(!MakeRecordingReadOnly(folder.filePath("gone.Wav")));
}

QTEST_GUILESS_MAIN(RecordingTest)
#include "RecordingTest.moc"
