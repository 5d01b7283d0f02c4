// The main window's playback and charts on a real window offscreen: recordings played end to end through the
// real media player, stopping, moving and purging; bars, their colours after a reload, titles and the
// activity series kept across a save and load.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"

#include "app/DataModuleUnit.h"
#include "audio/AudioFormatUnit.h"
#include "audio/WaveFileUnit.h"
#include "audio/WaveLibraryUnit.h"
#include "monitor/ActivityBinsUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/SerialCommUnit.h"

#include <QAction>
#include <QApplication>
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr std::int32_t RedSpecial = 145500000; // special, shown red, with a lookup comment
constexpr std::int32_t BlackSpecial = 27555000; // special with display colour 0
constexpr std::int32_t Plain = 430000000;

void Exec(const QString& sql)
{
    QSqlQuery query(DataModule1->Database());
    QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
}

// Silence, 16-bit mono at 22050 samples per second.
void WriteWave(const QString& path, double seconds)
{
    TAudioFormat format = InitialAudioFormat();
    TWaveFileWriter writer;
    writer.OpenWaveFile(path, format);
    const QByteArray samples(qsizetype(seconds * 22050) * 2, '\0');
    writer.WriteWaveData(samples.constData(), samples.size());
    writer.CloseWaveFile();
}

// Closes the "not found" box that the receiver search shows while the window is made.
class TBoxCloser {
public:
    TBoxCloser()
    {
        QObject::connect(&Timer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                box->reject();
        });
        Timer.start(10);
    }

private:
    QTimer Timer;
};

template <class TSeries> TSeries* SeriesOf(QChart* chart, const char* name)
{
    for (QAbstractSeries* series : chart->series()) {
        if (series->objectName() == QLatin1String(name))
            return qobject_cast<TSeries*>(series);
    }
    return nullptr;
}

} // namespace

class PlaybackChartsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void barsKeepTheirColoursAcrossAReload();
    void barTitleOnClickHiddenOnChartClick();
    void activitySeriesSurviveSaveAndLoad();

    void emptyFolderEndsAtOnce();
    void playsTwoFilesEndToEndThenMovesAndPurges();
    void stoppingMidFile_data();
    void stoppingMidFile();

private:
    QString Recordings() const { return Window->RecordingDirectory(); }
    QCandlestickSeries* Bars() const { return SeriesOf<QCandlestickSeries>(AudioChart(), "Series4"); }
    // The colour drawn in the middle of a bar.
    QColor BarColour(QCandlestickSeries* bars, int index) const
    {
        auto* view = Window->findChild<QChartView*>(QStringLiteral("AudioChartView"));
        QCandlestickSet* set = bars->sets().at(index);
        const QPointF middle = AudioChart()->mapToScene(
            AudioChart()->mapToPosition(QPointF(set->timestamp(), set->close() / 2), bars));
        return view->grab().toImage().pixelColor(view->mapFromScene(middle));
    }
    QChart* AudioChart() const
    {
        return Window->findChild<QChartView*>(QStringLiteral("AudioChartView"))->chart();
    }
    void Play();

    QTemporaryDir ProgramFolder;
    std::unique_ptr<TDataModule1> DataModule;
    std::unique_ptr<TVarnockMainForm> Window;
};

void PlaybackChartsTest::initTestCase()
{
    QVERIFY(!PrepareProgramFolder(ProgramFolder).isEmpty());
    DataModule = std::make_unique<TDataModule1>();
    DataModule1->SetOptionString(QStringLiteral("RecordedWaveFileDirectory"), ProgramFolder.filePath("rec"));
    Exec(QStringLiteral("INSERT INTO SpecialFrequenciesTable_ VALUES (%1, %2, 0, 0, 0)")
             .arg(RedSpecial)
             .arg(clRed));
    Exec(QStringLiteral("INSERT INTO SpecialFrequenciesTable_ VALUES (%1, 0, 0, 0, 0)").arg(BlackSpecial));
    Exec(QStringLiteral("INSERT INTO FrequencyLookupTable_ VALUES (%1, 0, 'Tower', 'Approach east')")
             .arg(RedSpecial));
    // No serial port to search.
    SetSerialPortTable({ProgramFolder.filePath("no-such-tty")});
    {
        const TBoxCloser closer;
        Window = std::make_unique<TVarnockMainForm>();
    }
    Window->resize(700, 600);
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    QVERIFY(Recordings().startsWith(ProgramFolder.path()));
}

void PlaybackChartsTest::cleanupTestCase()
{
    Window.reset();
    DataModule.reset();
}

void PlaybackChartsTest::init()
{
    Window->ClearCharts();
    QDir(Recordings()).removeRecursively();
    QVERIFY(QDir().mkpath(Recordings()));
    QFile::remove(SeparatorSoundFile());
}

void PlaybackChartsTest::barsKeepTheirColoursAcrossAReload()
{
    Window->UpdateDistributionBar(Plain, 0, 30 / 86400.0);
    Window->UpdateDistributionBar(RedSpecial, clRed, 10 / 86400.0);
    Window->UpdateDistributionBar(BlackSpecial, 0, 20 / 86400.0);
    Window->UpdateDistributionBar(RedSpecial, clBlue, 15 / 86400.0); // heard again: grows, keeps its colour
    QCandlestickSeries* bars = Bars();
    QVERIFY(bars);
    QCOMPARE(bars->count(), 3);
    const QColor series(235, 237, 235);
    // In frequency order: 27.555, 145.5, 430.
    QCOMPARE(bars->sets().at(1)->close(), 15 / 86400.0);
    QCOMPARE(BarColour(bars, 0), series);
    QCOMPARE(BarColour(bars, 1), QColor(Qt::red));
    QCOMPARE(BarColour(bars, 2), series);

    Window->SaveSeries();
    Window->ClearCharts();
    QCOMPARE(bars->count(), 0);
    Window->LoadSeries();
    QCOMPARE(bars->count(), 3);
    // A special frequency with display colour 0 comes back black; the others as they were.
    QCOMPARE(BarColour(bars, 0), QColor(Qt::black));
    QCOMPARE(BarColour(bars, 1), QColor(Qt::red));
    QCOMPARE(BarColour(bars, 2), series);
    QCOMPARE(bars->sets().at(2)->close(), 30 / 86400.0);
}

void PlaybackChartsTest::barTitleOnClickHiddenOnChartClick()
{
    Window->UpdateDistributionBar(Plain, 0, 40 / 86400.0);
    Window->UpdateDistributionBar(RedSpecial, clRed, 75 / 86400.0);
    QChart* chart = AudioChart();
    QVERIFY(chart->title().isEmpty());
    QCoreApplication::processEvents();

    // A real click on the middle of the 145.5 MHz bar.
    auto* view = Window->findChild<QChartView*>(QStringLiteral("AudioChartView"));
    const QPointF top = chart->mapToPosition(QPointF(145.5, 75 / 86400.0), Bars());
    const QPointF base = chart->mapToPosition(QPointF(145.5, 0), Bars());
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->mapFromScene(chart->mapToScene((top + base) / 2)));
    QCOMPARE(chart->title(), QStringLiteral(" 145.500000 MHz  00:01:15  Tower  Approach east"));
    QCOMPARE(chart->titleBrush().color(), QColor(Qt::red));

    // Anywhere else hides it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(chart->title().isEmpty());

    Window->DistributionBarClick(1);
    QCOMPARE(chart->title(), QStringLiteral(" 430.000000 MHz  00:00:40"));
    QCOMPARE(chart->titleBrush().color(), QColor(Qt::black)); // the series' own colour
}

void PlaybackChartsTest::activitySeriesSurviveSaveAndLoad()
{
    const TDateTime t = Now();
    Window->AddActivityPoint(5, 720, 12.5, t);
    Window->AddActivityPoint(5, 720, 2, t + 1.0 / 86400);
    auto* activity = Window->findChild<QChartView*>(QStringLiteral("ActivityChartView"))->chart();
    QCOMPARE(activity->title(), QStringLiteral("14.5   2"));
    auto* squelch = SeriesOf<QLineSeries>(activity, "LineSeries3");
    auto* openings = SeriesOf<QLineSeries>(activity, "LineSeries4");
    QVERIFY(squelch && openings);
    QCOMPARE(squelch->count(), 1);
    QCOMPARE(openings->at(0).y(), 2.0);

    Window->SaveSeries();
    Window->ClearCharts();
    QCOMPARE(squelch->count(), 0);
    QVERIFY(activity->title().isEmpty());
    Window->LoadSeries();
    QCOMPARE(squelch->count(), 1);
    QCOMPARE(squelch->at(0).y(), 14.5);
    QCOMPARE(openings->at(0).y(), 2.0);
    // The next closing continues the loaded bin.
    Window->AddActivityPoint(5, 720, 1, t + 2.0 / 86400);
    QCOMPARE(activity->title(), QStringLiteral("15.5   3"));
}

void PlaybackChartsTest::Play()
{
    Window->PlayWavesAction->trigger();
}

void PlaybackChartsTest::emptyFolderEndsAtOnce()
{
    QElapsedTimer elapsed;
    elapsed.start();
    Play();
    QVERIFY(elapsed.elapsed() < 1000);
    QCOMPARE(Window->PlayWavesAction->property("Tag").toInt(), 0);
    QVERIFY(!Window->PlayWavesAction->isChecked());
    QVERIFY(!Window->DeletePlayedWavesAction->isEnabled());
    QVERIFY(!Window->SavePlayedWavesAction->isEnabled());
    QCOMPARE(Window->PlayWavesAction->text(), QStringLiteral("PlayWaves"));
}

void PlaybackChartsTest::playsTwoFilesEndToEndThenMovesAndPurges()
{
    const QString first = Recordings() + " 145.500000 MHz_20240301_101502.250.Wav";
    const QString second = Recordings() + " 430.000000 MHz_20240301_101530.000.Wav";
    const QString broken = Recordings() + "noise.Wav"; // no time: first; cannot be played: counts as played
    WriteWave(second, 0.4);
    WriteWave(first, 0.3);
    QFile junk(broken);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("this is no wave file");
    junk.close();
    const QString separator = qEnvironmentVariable("VARNOCK_BINARY_DIR") + "/bin/Varnock.Wav";
    if (QFile::exists(separator))
        QVERIFY(QFile::copy(separator, SeparatorSoundFile()));

    TEventLogCapture log;
    QElapsedTimer elapsed;
    elapsed.start();
    Play();
    // 0.7 s of sound were really played, not skipped as unplayable.
    QVERIFY2(elapsed.elapsed() >= 700, qPrintable(QString::number(elapsed.elapsed())));
    QStringList playing = log.Messages().filter(QStringLiteral("Playing "));
    QCOMPARE(playing, (QStringList {"Playing " + broken, "Playing " + first, "Playing " + second}));
    QCOMPARE(Window->PlayedWaves, (QStringList {first, second, broken}));
    QVERIFY(Window->DeletePlayedWavesAction->isEnabled());
    QVERIFY(Window->SavePlayedWavesAction->isEnabled());
    QCOMPARE(Window->PlayWavesProgressBar->value(), Window->PlayWavesProgressBar->maximum());
    QCOMPARE(Window->PlayWavesAction->property("Tag").toInt(), 0);
    QVERIFY(!Window->PlayWavesAction->isChecked());
    QCOMPARE(Window->PlayWavesAction->text(), QStringLiteral("PlayWaves"));
    QVERIFY(Window->LongCommentPanel->text().isEmpty());
    QVERIFY(!Window->MediaPlayer1->isEnabled());
    QCOMPARE(Window->PlayingMarker.Frequency, Plain);
    QCOMPARE(Window->PlayingMarker.BrushColour, clWhite);

    // Deleted: all three, oldest first; the actions go off.
    log.Clear();
    Window->DeletePlayedWavesAction->trigger();
    QCOMPARE(log.Messages(), (QStringList {"Moved " + broken, "Moved " + first, "Moved " + second}));
    QVERIFY(Window->PlayedWaves.isEmpty());
    QVERIFY(!Window->DeletePlayedWavesAction->isEnabled());
    const QString deleted = Recordings() + DeletedFolderName + "/";
    QVERIFY(QFile::exists(deleted + QFileInfo(first).fileName()));
    QVERIFY(!QFile::exists(first));

    // Purging keeps the read-only one.
    QVERIFY(QFile::setPermissions(deleted + QFileInfo(first).fileName(), QFileDevice::ReadOwner));
    log.Clear();
    Window->PurgeDeletedWavesAction->trigger();
    QCOMPARE(log.Messages().filter(QStringLiteral("Attempting to delete ")).size(), 3);
    QCOMPARE(QDir(deleted).entryList(QDir::Files), QStringList {QFileInfo(first).fileName()});
    QVERIFY(!Window->windowTitle().startsWith(QStringLiteral("Purged")));
}

void PlaybackChartsTest::stoppingMidFile_data()
{
    QTest::addColumn<bool>("byLiveAudio");
    QTest::newRow("second click") << false;
    QTest::newRow("live audio switched on") << true;
}

void PlaybackChartsTest::stoppingMidFile()
{
    QFETCH(bool, byLiveAudio);
    WriteWave(Recordings() + " 145.500000 MHz_20240301_101502.250.Wav", 4);
    WriteWave(Recordings() + " 145.500000 MHz_20240301_101602.250.Wav", 4);
    QTimer::singleShot(700, Window.get(), [this, byLiveAudio] {
        if (byLiveAudio) {
            // What the squelch pipeline does when a special frequency switches live audio on.
            Window->PlayWavesAction->setProperty("Tag", 0);
            Window->MediaPlayer1->setEnabled(false);
            Window->MediaPlayerScrollBar->setEnabled(false);
        } else {
            Window->PlayWavesAction->trigger();
        }
    });
    TEventLogCapture log;
    QElapsedTimer elapsed;
    elapsed.start();
    Play();
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(log.Messages().filter(QStringLiteral("Playing ")).size(), 1);
    // The file being played had not reached its end.
    QVERIFY(Window->PlayedWaves.isEmpty());
    QVERIFY(!Window->DeletePlayedWavesAction->isEnabled());
    QCOMPARE(Window->PlayWavesAction->property("Tag").toInt(), 0);
    QVERIFY(!Window->PlayWavesAction->isChecked());
}

QTEST_MAIN(PlaybackChartsTest)
#include "PlaybackChartsTest.moc"
