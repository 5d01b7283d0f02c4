// The recorded wave library: names read back, ordering, the separator rule, collecting, moving and purging.

#include "audio/WaveLibraryUnit.h"
#include "support/DateTimeUnit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr double Second = 1.0 / 86400.0;

TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return DateTimeFromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)));
}

void Touch(const QString& path, const QByteArray& content = "RIFF")
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

} // namespace

class WaveLibraryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void frequencyFromFileName_data();
    void frequencyFromFileName();
    void timeFromFileName_data();
    void timeFromFileName();
    void sortingByRecordingTime();
    void separatorRule_data();
    void separatorRule();
    void collectingVisitsTopFolderOnly();
    void movingIntoSubfolder();
    void purgingKeepsReadOnlyFiles();
    void playedListIsSortedWithoutDuplicates();
};

void WaveLibraryTest::frequencyFromFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("hertz");
    QTest::newRow("recording name") << "/rec/ 145.500000 MHz_20240301_101502.250.Wav" << 145500000;
    QTest::newRow("folder with underscore")
        << "/rec_1/Varnock/ 27.555000 MHz_20240301_101502.250.Wav" << 27555000;
    QTest::newRow("kilohertz") << "12.5 kHz_20240301_101502.250.mp3" << 12500;
    QTest::newRow("plain hertz") << "145500000_20240301_101502.250.Wav" << 145500000;
    QTest::newRow("no underscore") << "/rec/noise.Wav" << 0;
    QTest::newRow("not a number") << "/rec/scanner_20240301_101502.250.Wav" << 0;
    QTest::newRow("text after the unit") << "/rec/145.5 MHz x_20240301_101502.250.Wav" << 0;
    QTest::newRow("empty name") << "" << 0;
}

void WaveLibraryTest::frequencyFromFileName()
{
    QFETCH(QString, path);
    QFETCH(int, hertz);
    QCOMPARE(FrequencyFromFileName(path), hertz);
}

void WaveLibraryTest::timeFromFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<double>("expected");
    QTest::newRow("recording name") << "/rec/ 145.500000 MHz_20240301_101502.250.Wav"
                                    << At(2024, 3, 1, 10, 15, 2, 250);
    QTest::newRow("mp3, last moment of a leap day")
        << "x_20240229_235959.999.mp3" << At(2024, 2, 29, 23, 59, 59, 999);
    QTest::newRow("time without frequency") << "/rec/20240301_101502.250.Wav" << 0.0; // its date is cut off
    QTest::newRow("no underscore at all") << "/rec/noise.Wav" << 0.0;
    QTest::newRow("bad digit") << "f_2024O301_101502.250.Wav" << 0.0;
    QTest::newRow("sign is no digit") << "f_+0240301_101502.250.Wav" << 0.0;
    QTest::newRow("too short") << "f_20240301_1015.Wav" << 0.0;
    QTest::newRow("30 February") << "f_20230230_101502.250.Wav" << 0.0;
    QTest::newRow("hour 24") << "f_20240301_241502.250.Wav" << 0.0;
    QTest::newRow("second 60") << "f_20240301_101560.250.Wav" << 0.0;
}

void WaveLibraryTest::timeFromFileName()
{
    QFETCH(QString, path);
    QFETCH(double, expected);
    QCOMPARE(TimeFromFileName(path), expected);
}

void WaveLibraryTest::sortingByRecordingTime()
{
    QStringList list {
        "/r/ 145.500000 MHz_20240301_101502.250.Wav",
        "/r/ 430.000000 MHz_20240301_091502.250.mp3",
        "/r/b-noise.Wav",
        "/r/ 145.500000 MHz_20240301_101502.249.Wav",
        "/r/a-noise.Wav",
    };
    QCOMPARE(CompareWaveFileTimes(list, 0, 1), 1);
    QCOMPARE(CompareWaveFileTimes(list, 1, 0), -1);
    QCOMPARE(CompareWaveFileTimes(list, 2, 4), 0);

    SortWaveFiles(list);
    // Names without a time come first and keep their order among themselves.
    const QStringList expected {
        "/r/b-noise.Wav",
        "/r/a-noise.Wav",
        "/r/ 430.000000 MHz_20240301_091502.250.mp3",
        "/r/ 145.500000 MHz_20240301_101502.249.Wav",
        "/r/ 145.500000 MHz_20240301_101502.250.Wav",
    };
    QCOMPARE(list, expected);
}

void WaveLibraryTest::separatorRule_data()
{
    QTest::addColumn<int>("previousFrequency");
    QTest::addColumn<double>("recordedApart"); // seconds between the two recordings' starts
    QTest::addColumn<double>("playedApart"); // seconds between the two files' play starts
    QTest::addColumn<int>("currentFrequency");
    QTest::addColumn<bool>("separator");
    QTest::newRow("first file: previous frequency 0") << 0 << 0.0 << 0.0 << 145500000 << true;
    QTest::newRow("same frequency, 10 s apart, 8 s of playing")
        << 145500000 << 10.0 << 8.0 << 145500000 << false;
    QTest::newRow("same frequency, 13 s apart, 8 s of playing")
        << 145500000 << 13.0 << 8.0 << 145500000 << true;
    QTest::newRow("exactly at the grace") << 145500000 << 12.0 << 8.0 << 145500000 << false;
    QTest::newRow("frequency changed, back to back") << 145500000 << 1.0 << 8.0 << 430000000 << true;
}

void WaveLibraryTest::separatorRule()
{
    QFETCH(int, previousFrequency);
    QFETCH(double, recordedApart);
    QFETCH(double, playedApart);
    QFETCH(int, currentFrequency);
    QFETCH(bool, separator);
    const TDateTime recorded = At(2024, 3, 1, 10, 0, 0, 0);
    const TDateTime played = At(2024, 3, 2, 20, 0, 0, 0);
    const TPlayedWave previous {previousFrequency, recorded, played};
    const TPlayedWave current {
        currentFrequency, recorded + recordedApart * Second, played + playedApart * Second};
    QCOMPARE(SeparatorFollows(previous, current), separator);
}

void WaveLibraryTest::collectingVisitsTopFolderOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(DeletedFolderName));
    Touch(dir.filePath("b.mp3"));
    Touch(dir.filePath("a.Wav"));
    Touch(dir.filePath(".hidden.Wav"));
    Touch(dir.filePath("notes.txt"));
    Touch(dir.filePath(DeletedFolderName + "/old.Wav"));

    QStringList seen;
    ForEachWaveFile(dir.path(), WavePatterns, [&](const QFileInfo& file) {
        seen.append(file.fileName());
        return true;
    });
    // Every wave before any mp3; hidden files count; nothing from the subfolder.
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.last(), QStringLiteral("b.mp3"));
    QVERIFY(seen.contains(".hidden.Wav"));

    int visits = 0;
    ForEachWaveFile(dir.path(), WavePatterns, [&](const QFileInfo&) { return ++visits < 2; });
    QCOMPARE(visits, 2);
}

void WaveLibraryTest::movingIntoSubfolder()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(" 145.500000 MHz_20240301_101502.250.Wav");
    Touch(source, "new");
    const QString saved = dir.filePath(SavedFolderName + "/");
    QVERIFY(MoveWaveFile(source, saved));
    QVERIFY(!QFile::exists(source));
    QVERIFY(QFile::exists(saved + " 145.500000 MHz_20240301_101502.250.Wav"));

    // A file of the same name already there is never replaced; the source stays.
    Touch(source, "second");
    QVERIFY(!MoveWaveFile(source, saved));
    QVERIFY(QFile::exists(source));
    QFile kept(saved + " 145.500000 MHz_20240301_101502.250.Wav");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("new"));

    QVERIFY(!MoveWaveFile(dir.filePath("missing.Wav"), saved));
}

void WaveLibraryTest::purgingKeepsReadOnlyFiles()
{
    QTemporaryDir dir;
    const QString writable = dir.filePath("a.Wav");
    const QString readOnly = dir.filePath("special.Wav");
    Touch(writable);
    Touch(readOnly);
    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    QVERIFY(!IsReadOnlyFile(QFileInfo(writable)));
    QVERIFY(IsReadOnlyFile(QFileInfo(readOnly)));
    QVERIFY(DeleteWaveFile(QFileInfo(writable)));
    QVERIFY(!DeleteWaveFile(QFileInfo(readOnly)));
    QVERIFY(!QFile::exists(writable));
    QVERIFY(QFile::exists(readOnly));
    QVERIFY(!DeleteWaveFile(QFileInfo(writable)));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void WaveLibraryTest::playedListIsSortedWithoutDuplicates()
{
    QStringList played;
    for (const char* path : {"/r/c.Wav", "/r/a.Wav", "/r/c.Wav", "/r/b.mp3"})
        AddSortedUnique(played, QString::fromLatin1(path));
    QCOMPARE(played, (QStringList {"/r/a.Wav", "/r/b.mp3", "/r/c.Wav"}));
}

QTEST_GUILESS_MAIN(WaveLibraryTest)
#include "WaveLibraryTest.moc"
