// The frequency lookup window, the special frequencies window and the attributes dialog: the copy into a
// scan bank against the simulated receiver, marking rows special, the mode pop-up, drawing failures, the
// colour cell, the long comment panel and a duplicate typed into the grid.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "../receiver/SimulatedReceiver.h"
#include "app/DataModuleUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "tables/FrequencyLookupFormUnit.h"
#include "tables/LookupTableModelsUnit.h"
#include "tables/SpecialFrequenciesAttributesFormUnit.h"
#include "tables/SpecialFrequenciesFormUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Answers every modal window that opens: message boxes with their first button (their texts are kept),
// the attributes dialog with the given action.
class TModalHand : public QObject {
public:
    explicit TModalHand(std::function<void(TSpecialFrequencyAttributesForm*)> attributes = {})
        : Attributes(std::move(attributes))
    {
        connect(&Timer, &QTimer::timeout, this, &TModalHand::Poll);
        Timer.start(5);
    }
    QStringList Texts;

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
            Texts << box->text();
            box->buttons().constFirst()->click();
        } else if (auto* dialog = qobject_cast<TSpecialFrequencyAttributesForm*>(modal);
                   dialog && dialog->isVisible()) {
            if (Attributes)
                Attributes(dialog);
            else
                dialog->reject();
        }
    }
    std::function<void(TSpecialFrequencyAttributesForm*)> Attributes;
    QTimer Timer;
};

std::unique_ptr<TDataModule1> OpenTables(const QTemporaryDir& folder)
{
    if (PrepareProgramFolder(folder).isEmpty())
        throw std::runtime_error("no template database");
    return std::make_unique<TDataModule1>();
}

void Exec(TDataModule1& tables, const QString& sql)
{
    QSqlQuery query(tables.Database());
    if (!query.exec(sql))
        throw std::runtime_error((query.lastError().text() + " in " + sql).toStdString());
}

QStringList Rows(TDataModule1& tables, const QString& sql)
{
    QSqlQuery query(tables.Database());
    QStringList rows;
    if (!query.exec(sql))
        return {query.lastError().text()};
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        rows << fields.join(u'|');
    }
    return rows;
}

// A fresh database with three lookup rows, the simulated receiver with the mirrored driver, and the window.
struct LookupRig {
    explicit LookupRig(const ReceiverState& state = ReceiverState::Empty())
        : tables(OpenTables(folder))
        , rx(QuickOptions(state), nullptr, tables.get())
    {
        Exec(*tables, "DELETE FROM FrequencyLookupTable_");
        Exec(*tables, "DELETE FROM SpecialFrequenciesTable_");
        Exec(*tables, "INSERT INTO FrequencyLookupTable_ VALUES (118100000, 2, 'TWR', 'Tower')");
        Exec(*tables, "INSERT INTO FrequencyLookupTable_ VALUES (121500000, 2, 'GUARD', 'Guard')");
        Exec(*tables, "INSERT INTO FrequencyLookupTable_ VALUES (145500000, 1, 'CALL', 'Calling')");
        form = std::make_unique<TFrequencyLookupForm>(rx.driver.get(), tables.get());
        form->Model()->Reopen();
        form->Pause = [](int) {};
        form->ShowScanBank = [this](char bank) { shownBanks << bank; };
    }
    ~LookupRig() { form.reset(); }
    QTableView& Grid() { return *form->FrequencyLookupQuery_DBGrid; }
    void SelectRows(const QList<int>& rows)
    {
        Grid().clearSelection();
        for (const int row : rows)
            Grid().selectionModel()->select(form->Model()->index(row, 0), QItemSelectionModel::Select);
    }
    QByteArrayList Commands(const QByteArray& prefix)
    {
        QByteArrayList found;
        for (const QByteArray& command : rx.TakeCommands()) {
            if (command.startsWith(prefix))
                found << command;
        }
        return found;
    }

    QTemporaryDir folder;
    std::unique_ptr<TDataModule1> tables;
    SimulatedReceiver<TDBAOR8200> rx;
    std::unique_ptr<TFrequencyLookupForm> form;
    QList<char> shownBanks;
};

// The cell as the window draws it, on white.
QImage DrawnCell(const std::function<bool(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)>& draw,
    const QModelIndex& index, QWidget* grid)
{
    QImage image(120, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.font = grid->font();
    option.palette = grid->palette();
    option.widget = grid;
    draw(&painter, option, index);
    return image;
}

bool HasPixel(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

} // namespace

class LookupWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- the copy into a scan bank

    void copyFillsTheEmptyChannelsInOrder()
    {
        ReceiverState state = ReceiverState::Empty();
        state.SetBankSize('C', 6);
        *state.Memory('C', 0) = HeldMemory(100000000, "used 0");
        *state.Memory('C', 2) = HeldMemory(102000000, "used 2");
        state.squelchReporting = true;
        LookupRig rig(state);
        rig.form->ScanBankComboBox->setCurrentText("C");
        rig.SelectRows({0, 1, 2});
        rig.rx.TakeCommands();

        rig.form->SelectionToScanBankAction->trigger();

        const QByteArrayList commands = rig.rx.TakeCommands();
        QByteArrayList writes;
        qsizetype firstWrite = -1;
        for (qsizetype i = 0; i < commands.size(); ++i) {
            if (!commands[i].startsWith("MX"))
                continue;
            writes << commands[i].left(15);
            if (firstWrite < 0)
                firstWrite = i;
        }
        QCOMPARE(writes, (QByteArrayList {"MXC01 RF0118100", "MXC03 RF0121500", "MXC04 RF0145500"}));
        // Reports are off for the whole copy and back on afterwards.
        QVERIFY(commands.indexOf("LC0") >= 0 && commands.indexOf("LC0") < firstWrite);
        QCOMPARE(commands.constLast(), QByteArray("LC1"));
        const ReceiverState after = rig.rx.simulator.State();
        QVERIFY(after.squelchReporting);
        QCOMPARE(after.Memory('C', 1)->frequency, 118100000);
        QCOMPARE(after.Memory('C', 1)->step, 1000);
        QCOMPARE(after.Memory('C', 4)->mode, SimMode::NFM);
        QCOMPARE(after.Memory('C', 4)->text, QByteArray("CALL        "));
        QCOMPARE(after.Memory('C', 2)->frequency, 102000000);
        QVERIFY(after.Memory('C', 5)->isEmpty);
        QCOMPARE(rig.shownBanks, QList<char> {'C'});
    }

    void copyIntoAFullOrEmptySizedBankWritesNothing_data()
    {
        QTest::addColumn<int>("size");
        // The receiver never reports a size of 0; the database copy may hold one.
        QTest::newRow("bank size 0 in the copy") << 0;
        QTest::newRow("every channel used") << 2;
    }
    void copyIntoAFullOrEmptySizedBankWritesNothing()
    {
        QFETCH(int, size);
        ReceiverState state = ReceiverState::Empty();
        state.SetBankSize('C', std::max(size, 1));
        for (int channel = 0; channel < size; ++channel)
            *state.Memory('C', channel) = HeldMemory(100000000 + channel, "used");
        LookupRig rig(state);
        if (size == 0) {
            rig.tables->SetScanBankSize('C', 0);
            rig.rx.driver->UseDatabaseCopy = true;
        }
        rig.form->ScanBankComboBox->setCurrentText("C");
        rig.SelectRows({0, 1});
        rig.rx.TakeCommands();
        rig.form->SelectionToScanBankAction->trigger();
        QCOMPARE(rig.Commands("MX"), QByteArrayList {});
        QCOMPARE(rig.shownBanks, QList<char> {'C'});
    }

    void copyWithoutABankAsksForOne()
    {
        LookupRig rig;
        rig.SelectRows({0});
        rig.rx.TakeCommands();
        TModalHand hand;
        rig.form->SelectionToScanBankAction->trigger();
        QCOMPARE(hand.Texts, QStringList {"No Scan Bank Selected"});
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {});
        QVERIFY(rig.shownBanks.isEmpty());
    }

    // ---- marking rows special

    void markingTwoRowsRedDrawsThemRed()
    {
        LookupRig rig;
        TSpecialFrequenciesForm specials(rig.tables.get());
        rig.SelectRows({0, 2});
        TModalHand hand([](TSpecialFrequencyAttributesForm* dialog) {
            QCOMPARE(dialog->PanelColour(), RGBColour(128, 128, 128));
            QVERIFY(!dialog->FrequencyEdit->isVisible());
            dialog->SetPanelColour(clRed);
            dialog->HoldOnSquelchCheckBox->setChecked(true);
            dialog->accept();
        });
        rig.form->SelectionToSpecialFrequenciesAction->trigger();
        QCOMPARE(Rows(*rig.tables, "SELECT * FROM SpecialFrequenciesTable_ ORDER BY Frequency"),
            (QStringList {"118100000|255|0|1|0", "145500000|255|0|1|0"}));
        QCOMPARE(specials.Model()->rowCount(), 2);

        auto draw = [&rig](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) {
            return rig.form->FrequencyLookupQuery_DBGridDrawColumnCell(p, o, i);
        };
        QVERIFY(HasPixel(DrawnCell(draw, rig.form->Model()->index(0, 0), &rig.Grid()), Qt::red));
        QVERIFY(!HasPixel(DrawnCell(draw, rig.form->Model()->index(1, 0), &rig.Grid()), Qt::red));
    }

    // ---- the mode column

    void modePopupStoresTheTagWhenTheRowIsLeft()
    {
        LookupRig rig;
        Exec(*rig.tables, "UPDATE FrequencyLookupTable_ SET RxMode = 8 WHERE Frequency = 121500000");
        rig.form->Model()->Reopen();
        QCOMPARE(rig.form->RxModePopupMenu->actions().at(8)->text(), QString("NAM"));
        rig.Grid().setCurrentIndex(rig.form->Model()->index(1, 1));
        rig.form->RxModePopupItemClick(rig.form->RxModePopupMenu->actions().at(2));
        QCOMPARE(Rows(*rig.tables, "SELECT RxMode FROM FrequencyLookupTable_ WHERE Frequency = 121500000"),
            QStringList {"8"});
        rig.Grid().setCurrentIndex(rig.form->Model()->index(2, 1));
        QCOMPARE(Rows(*rig.tables, "SELECT RxMode FROM FrequencyLookupTable_ WHERE Frequency = 121500000"),
            QStringList {"2"});
    }

    void aModeOutsideTheReceiversIsAnErrorCellLoggedOnce()
    {
        LookupRig rig;
        Exec(*rig.tables, "UPDATE FrequencyLookupTable_ SET RxMode = 12 WHERE Frequency = 121500000");
        rig.form->Model()->Reopen();
        TEventLogCapture log;
        auto draw = [&rig](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) {
            return rig.form->FrequencyLookupQuery_DBGridDrawColumnCell(p, o, i);
        };
        const QModelIndex mode = rig.form->Model()->index(1, 1);
        QVERIFY(HasPixel(DrawnCell(draw, mode, &rig.Grid()), Qt::red));
        DrawnCell(draw, mode, &rig.Grid());
        QCOMPARE(log.Messages(),
            QStringList {
                "TFrequencyLookupForm.FrequencyLookupQuery_DBGridDrawColumnCell Receive mode 12 is not a "
                "mode of the receiver (0 to 8)"});
        QCOMPARE(log.Colours(), std::vector<TColor> {clRed});
    }

    // ---- the special frequencies window

    void colourCellIsSavedAtOnce()
    {
        LookupRig rig;
        Exec(*rig.tables, "INSERT INTO SpecialFrequenciesTable_ VALUES (118100000, 8421504, 0, 0, 0)");
        TSpecialFrequenciesForm form(rig.tables.get());
        form.Model()->Reopen();
        QList<TColor> initials;
        form.PickColour = [&initials](TColor initial, QWidget*) -> std::optional<TColor> {
            initials << initial;
            return clRed;
        };
        const QModelIndex colour = form.Model()->index(0, form.Model()->FieldIndex("DisplayColour"));
        form.SpecialFrequenciesQuery_DBGrid->setCurrentIndex(colour);
        form.SpecialFrequenciesQuery_DBGridEditButtonClick();
        QCOMPARE(
            Rows(*rig.tables, "SELECT DisplayColour FROM SpecialFrequenciesTable_"), QStringList {"255"});
        // The dialog opens with the colour last picked in it, not the row's.
        form.SpecialFrequenciesQuery_DBGridEditButtonClick();
        QCOMPARE(initials, (QList<TColor> {clGray, clRed}));
        auto draw = [&form](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) {
            return form.SpecialFrequenciesQuery_DBGridDrawColumnCell(p, o, i);
        };
        QVERIFY(HasPixel(DrawnCell(draw, colour, form.SpecialFrequenciesQuery_DBGrid), Qt::red));
    }

    void longCommentFollowsTheFrequencyCell()
    {
        LookupRig rig;
        Exec(*rig.tables, "INSERT INTO SpecialFrequenciesTable_ VALUES (118100000, 255, 0, 1, 0)");
        TSpecialFrequenciesForm form(rig.tables.get());
        form.Model()->Reopen();
        form.SpecialFrequenciesQuery_DBGrid->setCurrentIndex(form.Model()->index(0, 0));
        QCOMPARE(form.LongCommentPanel->text(), QString("Tower"));
        form.SpecialFrequenciesQuery_DBGrid->setCurrentIndex(
            form.Model()->index(0, form.Model()->FieldIndex("HoldOnSquelch")));
        QCOMPARE(form.LongCommentPanel->text(), QString());
    }

    void duplicateFrequencyIsRefusedWithAMessageAndKept()
    {
        LookupRig rig;
        Exec(*rig.tables, "INSERT INTO SpecialFrequenciesTable_ VALUES (118100000, 255, 0, 1, 0)");
        TSpecialFrequenciesForm form(rig.tables.get());
        TSpecialFrequenciesTableModel& model = *form.Model();
        model.Reopen();
        QVERIFY(model.insertRow(1));
        QVERIFY(model.setData(model.index(1, 0), 118100000));
        TModalHand hand;
        TEventLogCapture log;
        form.SpecialFrequenciesQuery_DBGrid->setCurrentIndex(model.index(1, 0));
        form.SpecialFrequenciesQuery_DBGrid->setCurrentIndex(model.index(0, 0)); // leaving the row saves it
        QCOMPARE(hand.Texts,
            QStringList {
                "118.100000 MHz is already a special frequency: each frequency may appear only once."});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, 0).data(Qt::EditRole).toInt(), 118100000);
        QCOMPARE(Rows(*rig.tables, "SELECT COUNT(*) FROM SpecialFrequenciesTable_"), QStringList {"1"});
        QCOMPARE(log.Colours(), std::vector<TColor> {clRed});
    }

    void attributesDialogWithHiddenFrequencyKeepsIt()
    {
        TSpecialFrequencyAttributesForm dialog;
        dialog.PickColour = [](TColor, QWidget*) -> std::optional<TColor> { return clBlue; };
        std::int32_t frequency = 145500000;
        TColor colour = clGray;
        bool readOnly = false, hold = false, switchOn = true;
        {
            TModalHand hand([](TSpecialFrequencyAttributesForm* shown) {
                shown->DisplayColourPanelClick();
                shown->AudioFilesReadOnlyCheckBox->setChecked(true);
                shown->OKBitBtn->click();
            });
            QVERIFY(dialog.EditSpecialFrequencyAttributes(
                frequency, colour, readOnly, hold, switchOn, false, false));
        }
        QCOMPARE(frequency, 145500000);
        QCOMPARE(colour, clBlue);
        QVERIFY(readOnly && !hold && switchOn);

        TModalHand cancel([](TSpecialFrequencyAttributesForm* shown) {
            shown->AudioFilesReadOnlyCheckBox->setChecked(false);
            shown->CancelBitBtn->click();
        });
        QVERIFY(
            !dialog.EditSpecialFrequencyAttributes(frequency, colour, readOnly, hold, switchOn, true, false));
        QVERIFY(readOnly);
    }
};

QTEST_MAIN(LookupWindowsTest)
#include "LookupWindowsTest.moc"
