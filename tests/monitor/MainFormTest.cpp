// The main window offscreen, on a fresh database with no receiver: start-up defaults, the grid's title click,
// cursor and special colour, closing without a port, the status bar fed from a worker thread, the About text
// and the help window.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "app/DataModuleUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/FrequencyLogUnit.h"
#include "monitor/HelpFormUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/TQuonAnalogueClockUnit.h"

#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <memory>
#include <thread>

namespace {

// Answers every modal box that appears (the start-up search's "AOR8200 not found") and counts them.
class TBoxAnswerer : public QObject {
public:
    TBoxAnswerer()
    {
        connect(&Timer, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++Answered;
                AnswerNegatively(modal);
            }
        });
        Timer.start(10);
    }
    int Answered = 0;

private:
    QTimer Timer;
};

int ColumnOf(const TFrequencyLogView* view, const char* field)
{
    for (int column = 0; column < view->columnCount(); ++column) {
        if (view->FieldName(column) == QLatin1String(field))
            return column;
    }
    return -1;
}

// Whether the region holds a pixel close to the colour (text is antialiased).
bool HoldsColour(const QImage& image, const QRect& region, QColor colour)
{
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - colour.red()) < 40 && qAbs(pixel.green() - colour.green()) < 40
                && qAbs(pixel.blue() - colour.blue()) < 40)
                return true;
        }
    }
    return false;
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TDataModule1> Module;
    std::unique_ptr<TVarnockMainForm> Form;
    int StartUpBoxes = 0;

    void Exec(const QString& sql)
    {
        QSqlQuery query(Module->Database());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(!PrepareProgramFolder(*Folder).isEmpty());
        Module = std::make_unique<TDataModule1>();
        Exec("DELETE FROM OptionsTable_");
        Module->SetOptionString("SerialPortDevices", Folder->filePath("no-receiver"));
        Exec("INSERT INTO FrequencyLogTable_ VALUES (145500000, 45321.5, 3, 0.001, 'A05', 'TWR', 'Tower')");
        Exec("INSERT INTO FrequencyLogTable_ VALUES (27555000, 45321.6, 9, 0.002, 'Sch', 'CB', 'Band')");
        Exec("INSERT INTO SpecialFrequenciesTable_ VALUES (145500000, 255, 0, 0, 0)"); // red
        Module->FrequencyLogQuery_->Open(Module->Database());
        TBoxAnswerer answerer;
        Form = std::make_unique<TVarnockMainForm>();
        StartUpBoxes = answerer.Answered;
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    void cleanup()
    {
        Form.reset();
        Module.reset();
        Folder.reset();
    }

    void startsWithTheDefaults()
    {
        QCOMPARE(Form->objectName(), QString("VarnockMainForm"));
        QCOMPARE(Form->windowTitle(), QString("Varnock"));
        QCOMPARE(Form->size(), QSize(544, 570));
        QCOMPARE(StartUpBoxes, 1); // "AOR8200 not found"
        QVERIFY(Form->Driver);
        QCOMPARE(int(Form->Driver->GetCommPortNumber()), 0);
        QVERIFY(Form->Driver->UseDatabaseCopy);
        QVERIFY(!Form->SquelchRecordOn());
        QVERIFY(!Form->OutputAudioOn());
        QVERIFY(!Form->AudioAutoSwitchOn());
        QCOMPARE(Form->AnnouncementInterval, 23);
        QVERIFY(Form->LongCommentPanel->text().isEmpty());
        QVERIFY(!Form->DeletePlayedWavesAction->isEnabled());
        QVERIFY(!Form->SavePlayedWavesAction->isEnabled());
        QVERIFY(!Form->OptionsMenu->menuAction()->isVisible());
        QCOMPARE(Form->FrequencyLogDBGrid->model(), Module->FrequencyLogView());
        QCOMPARE(Form->FrequencyLogDBGrid->model()->headerData(0, Qt::Horizontal).toString(),
            QString("   Frequency   "));
        QCOMPARE(Form->ClockTimer->interval(), 200);
        QVERIFY(Form->ClockTimer->isActive());
    }

    void optionsAreReadAtStartUp()
    {
        Form.reset();
        Module->SetOptionInteger("AnnouncementInterval", 40);
        Module->SetOptionBoolean("QuonOptionsOn", true);
        TBoxAnswerer answerer;
        Form = std::make_unique<TVarnockMainForm>();
        QCOMPARE(Form->AnnouncementInterval, 40);
        QVERIFY(Form->QuonOptionsOn);
        Form.reset();
        Module->SetOptionInteger("AnnouncementInterval", -5);
        Form = std::make_unique<TVarnockMainForm>();
        QCOMPARE(Form->AnnouncementInterval, 23);
    }

    void titleClickOrdersAscending()
    {
        TFrequencyLogView* view = Module->FrequencyLogView();
        QCOMPARE(view->RowOf(27555000), 0);
        QHeaderView* titles = Form->FrequencyLogDBGrid->horizontalHeader();
        const int count = ColumnOf(view, "SquelchCount");
        QCOMPARE(view->headerData(count, Qt::Horizontal).toString(), QString("Count"));
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
            QPoint(titles->sectionViewportPosition(count) + 5, titles->height() / 2));
        QCOMPARE(Module->FrequencyLogQuery_->SQL(),
            QString("Select * From FrequencyLogTable_ Order by SquelchCount"));
        QCOMPARE(view->RowOf(145500000), 0);
        QCOMPARE(view->RowOf(27555000), 1);

        // The hand over the titles, the default cursor over the rows.
        QTest::mouseMove(titles->viewport(), QPoint(20, titles->height() / 2));
        QCOMPARE(Form->FrequencyLogDBGrid->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(Form->FrequencyLogDBGrid->viewport(), QPoint(20, 5));
        QCOMPARE(Form->FrequencyLogDBGrid->cursor().shape(), Qt::ArrowCursor);
    }

    // A special frequency's cell is drawn in its colour, selected or not; others in the grid's colour.
    void specialFrequencyCellColour()
    {
        TFrequencyLogView* view = Module->FrequencyLogView();
        QTableView* grid = Form->FrequencyLogDBGrid;
        const int frequency = ColumnOf(view, "Frequency");
        grid->setColumnWidth(frequency, 160);
        const int special = view->RowOf(145500000), plain = view->RowOf(27555000);
        auto cellImage = [&](int row) {
            const QRect rect = grid->visualRect(view->index(row, frequency));
            return std::make_pair(grid->viewport()->grab().toImage(), rect.adjusted(1, 1, -1, -1));
        };
        auto [unselected, specialRect] = cellImage(special);
        QVERIFY(HoldsColour(unselected, specialRect, Qt::red));
        auto [same, plainRect] = cellImage(plain);
        QVERIFY(!HoldsColour(same, plainRect, Qt::red));

        view->MakeCurrent(special);
        auto [selected, selectedRect] = cellImage(special);
        QVERIFY(HoldsColour(selected, selectedRect, Qt::red));
        QCOMPARE(Form->SelectedMarker.Frequency, 145500000);
        QCOMPARE(Form->SelectedMarker.PenColour, clRed);

        const QString duration
            = view->data(view->index(special, ColumnOf(view, "SquelchDuration"))).toString();
        QCOMPARE(FormatDurationText(duration.toDouble()), QString("00:01:26.400"));
    }

    void closingWithoutAPortAsksNothing()
    {
        TBoxAnswerer answerer;
        Form->close();
        QCOMPARE(answerer.Answered, 0);
        QVERIFY(Form->ClosingStarted);
        QVERIFY(!Form->Driver);
        QCOMPARE(Module->GetOptionInteger("AnnouncementInterval"), 23);
        QCOMPARE(Module->GetOptionString("SquelchRecordOn"), Module->GetOptionString("OutputAudioOn"));
        QCOMPARE(Module->GetOptionInteger("VarnockMainForm_Width"), 544);
    }

    void statusBarShowsTextFromAWorkerThread()
    {
        std::thread worker([this] {
            QString written = "RX\r\n";
            QString read = "RX145.5000\r\n";
            Form->ShowSerialWrite(Form->Driver.get(), written);
            Form->ShowSerialRead(Form->Driver.get(), read);
        });
        worker.join();
        QTRY_VERIFY(Form->TxPanel->text().endsWith("  RX  "));
        QVERIFY(Form->RxPanel->text().endsWith("  RX145.5000  "));
        QCOMPARE(Form->TxPanel->text().indexOf("  "), 8); // hh:mm:ss
    }

    void clockShowsTheTimeAndHalfOfDay()
    {
        QTest::qWait(450);
        QVERIFY(std::abs(Form->QuonAnalogueClock1->TimeBeingDisplayed() - Now()) < 2.0 / 86400);
        // AM and PM: the same clock drawn before and after noon differs only in that text.
        Form->ClockTimer->stop();
        Form->QuonAnalogueClock1->SetTimeBeingDisplayed(45321.0 + 3.0 / 24);
        const QImage morning = Form->QuonAnalogueClock1->grab().toImage();
        Form->QuonAnalogueClock1->SetTimeBeingDisplayed(45321.0 + 15.0 / 24);
        const QImage afternoon = Form->QuonAnalogueClock1->grab().toImage();
        QVERIFY(morning != afternoon);
    }

    void aboutTextWithoutAPort()
    {
        const QStringList lines = Form->AboutText().split(QChar(13));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("Version "));
        QVERIFY(lines[1].startsWith("Database Version SQLite 3."));
    }

    void helpOpensAtItsContents()
    {
        Form->ShowHelpAction->trigger();
        auto* help = Form->findChild<THelpForm*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        const QString page = help->Browser()->toHtml();
        QVERIFY(page.contains("FrequencyLogDBGrid"));
        QVERIFY(
            page.contains("context10049") || help->Browser()->document()->toPlainText().contains("10049"));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TVarnockApplication application(argc, argv);
    MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "MainFormTest.moc"
