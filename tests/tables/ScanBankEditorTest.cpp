// The scan bank editor against the simulated receiver: sorting, the bank pair size change, group index 0,
// bad Update input, and the memory list's captions and colours.

#include "EditorRig.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

namespace {

SimMemory Held(qint32 frequency)
{
    return HeldMemory(frequency, "M" + QByteArray::number(frequency / 100000));
}

// The frequencies of bank's channels 0 to size - 1 as the receiver holds them (0 for an empty channel).
QList<qint32> Frequencies(const ReceiverState& state, char bank)
{
    QList<qint32> frequencies;
    for (int channel = 0; channel < state.BankSize(bank); ++channel) {
        const SimMemory* memory = state.Memory(bank, channel);
        frequencies.append(memory->isEmpty ? 0 : memory->frequency);
    }
    return frequencies;
}

// A receiver whose lower bank of each pair reports 10 channels too few, so that a pair never adds up.
class TShortPairDriver : public TDBAOR8200 {
public:
    using TDBAOR8200::TDBAOR8200;
    int GetScanBankSize(char bank) override
    {
        const int size = TDBAOR8200::GetScanBankSize(bank);
        return bank >= 'a' ? size - 10 : size;
    }
};

} // namespace

class ScanBankEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortingMovesMemoriesDownInFrequencyOrder_data()
    {
        QTest::addColumn<QList<qint32>>("before");
        QTest::addColumn<QList<qint32>>("after");
        QTest::addColumn<int>("writes");
        QTest::newRow("gaps") << QList<qint32> {0, 146000000, 0, 145000000, 0, 0, 0, 144000000, 0, 0}
                              << QList<qint32> {144000000, 145000000, 146000000, 0, 0, 0, 0, 0, 0, 0} << 3;
        QTest::newRow("already sorted")
            << QList<qint32> {144000000, 145000000, 146000000, 0, 0, 0, 0, 0, 0, 0}
            << QList<qint32> {144000000, 145000000, 146000000, 0, 0, 0, 0, 0, 0, 0} << 0;
        QTest::newRow("equal frequencies and a memory at the end")
            << QList<qint32> {0, 0, 0, 0, 0, 0, 0, 0, 145000000, 145000000}
            << QList<qint32> {145000000, 145000000, 0, 0, 0, 0, 0, 0, 0, 0} << 2;
    }
    void sortingMovesMemoriesDownInFrequencyOrder()
    {
        QFETCH(QList<qint32>, before);
        QFETCH(QList<qint32>, after);
        QFETCH(int, writes);
        ReceiverState state = ReceiverState::Empty();
        state.SetBankSize('A', 10);
        for (int channel = 0; channel < before.size(); ++channel) {
            if (before[channel])
                *state.Memory('A', channel) = Held(before[channel]);
        }
        state.squelchReporting = true;
        EditorRig rig(state);
        TScanBankMemoriesForm form(&rig.driver());
        TEventLogCapture log;
        rig.Commands();

        form.SortMemoryBank('A');

        const ReceiverState sorted = rig.rx.simulator.State();
        QCOMPARE(Frequencies(sorted, 'A'), after);
        QCOMPARE(rig.CommandsStartingWith("MX").size(), writes);
        // The texts travelled with their frequencies.
        for (int channel = 0; channel < after.size() && after[channel]; ++channel)
            QCOMPARE(sorted.Memory('A', channel)->text, Held(after[channel]).text);
        QVERIFY(sorted.squelchReporting);
        QVERIFY(!rig.driver().UseDatabaseCopy);
        QCOMPARE(log.Messages(), QStringList {});
        // The memory list shows the sorted bank.
        QCOMPARE(form.ScanMemoriesRadioGroup->count(), 10);
        QCOMPARE(form.ScanMemoriesRadioGroup->button(0)->text(),
            after[0] ? "0  " + FormatFrequency(after[0], 0) : QStringLiteral("0  Empty"));
    }

    void sizeChangeKeepsTheSequenceOfThePair()
    {
        ReceiverState state = ReceiverState::Empty();
        for (const auto& [bank, channel, frequency] : {std::tuple {'B', 0, 118100000}, {'B', 49, 118200000},
                 {'b', 0, 118300000}, {'b', 31, 118400000}, {'b', 49, 118500000}})
            *state.Memory(bank, channel) = Held(frequency);
        EditorRig rig(state);
        TScanBankMemoriesForm form(&rig.driver());
        TEventLogCapture log;
        form.LoadScanBanks(true, &form);
        form.ScanBanksRadioGroup->setItemIndex(11); // "b"
        const auto sequence = [&] { return rig.rx.simulator.State().Pair('B').channels; };
        const auto before = sequence();

        // Twice: the second change finds the rows the first one left beyond the new sizes.
        for (const int size : {60, 30}) {
            form.ScanBankSizeSpinEdit->setValue(size);
            TDialogAnswerer answers;
            form.SetScanBankSizeClick();
            QCOMPARE(answers.Texts,
                (QStringList {"This will take a long time",
                    "Wait for the radio to finish sorting memories\rand then click Ok"}));
            QCOMPARE(rig.rx.simulator.State().BankSize('b'), size);
            QCOMPARE(sequence(), before);
        }
        QCOMPARE(log.Messages(), QStringList {});
        QCOMPARE(form.ScanMemoriesRadioGroup->count(), 30);
    }

    void pairThatDoesNotAddUpStopsBeforeAnySizeIsSent()
    {
        ReceiverState state = ReceiverState::Empty();
        state.squelchReporting = true;
        EditorRig<TShortPairDriver> rig(state);
        TScanBankMemoriesForm form(&rig.driver());
        form.LoadScanBanks(true, &form);
        form.ScanBanksRadioGroup->setItemIndex(0);
        rig.Commands();

        TDialogAnswerer answers;
        QCOMPARE(ErrorOf([&] { form.SetScanBankSizeClick(); }),
            QStringLiteral("Unexpected DataModule1.AOR8200MemoriesQuery_.RecordCount 90"));
        for (const QByteArray& command : rig.Commands())
            QVERIFY2(!(command.startsWith("MW") && command.size() > 3), command.constData());
        QVERIFY(rig.rx.simulator.State().squelchReporting);
        QVERIFY(!rig.driver().UseDatabaseCopy);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void groupIndexZeroDisablesAndZeroesTheGroupControls()
    {
        ReceiverState state = ReceiverState::Empty();
        state.scanGroups[3] = SimGroup {"ACb", 40, 50, 12, 7};
        EditorRig rig(state);
        TScanBankMemoriesForm form(&rig.driver());

        form.LoadScanGroup(3, false, &form);
        QVERIFY(form.ScanAudioScrollBar->isEnabled());
        QCOMPARE(form.ScanAudioScrollBar->value(), 40);
        QCOMPARE(form.ScanLevelSquelchLabel->text(), QStringLiteral("LevelSquelch  50"));
        QCOMPARE(form.ScanDelaySpinEdit->value(), 12);
        QCOMPARE(form.ScanPauseSpinEdit->value(), 7);
        QStringList checked;
        for (QCheckBox* box : form.ScanBankGroupGroupBox->findChildren<QCheckBox*>()) {
            QVERIFY(box->isEnabled());
            if (box->isChecked())
                checked.append(box->text());
        }
        QCOMPARE(checked, (QStringList {"A", "C", "b"}));
        rig.Commands();

        form.LoadScanGroup(0, false, &form);
        QCOMPARE(rig.Commands(), QByteArrayList {"GM0"});
        QVERIFY(!form.ScanAudioScrollBar->isEnabled());
        QVERIFY(!form.ScanPauseSpinEdit->isEnabled());
        QCOMPARE(form.ScanAudioScrollBar->value(), 0);
        QCOMPARE(form.ScanAudioSquelchLabel->text(), QStringLiteral("AudioSquelch  Off"));
        QCOMPARE(form.ScanDelaySpinEdit->value(), 0);
        for (QCheckBox* box : form.ScanBankGroupGroupBox->findChildren<QCheckBox*>()) {
            QVERIFY(!box->isEnabled());
            QVERIFY(!box->isChecked());
        }
        // Loading sent nothing back through the controls' own handlers.
        QCOMPARE(rig.rx.simulator.State().scanGroups[3], state.scanGroups[3]);
    }

    void updateRefusesWhatItCannotWrite_data()
    {
        QTest::addColumn<bool>("memoryShown");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("nothing shown yet") << false << "145.5 MHz"
                                           << "12.5 kHz" << QString() << QStringList {"No memory selected"};
        QTest::newRow("text after the unit") << true << "145.5 MHz x"
                                             << "12.5 kHz"
                                             << "Invalid Frequency String 145.5 MHz x" << QStringList {};
        QTest::newRow("zero frequency") << true << "0 MHz"
                                        << "12.5 kHz" << QString() << QStringList {};
        QTest::newRow("zero step") << true << "145.5 MHz"
                                   << "0 kHz" << QString() << QStringList {};
    }
    void updateRefusesWhatItCannotWrite()
    {
        QFETCH(bool, memoryShown);
        QFETCH(QString, frequency);
        QFETCH(QString, step);
        QFETCH(QString, error);
        QFETCH(QStringList, dialogs);
        EditorRig rig;
        TScanBankMemoriesForm form(&rig.driver());
        if (memoryShown) {
            MemoryChannelRecord empty;
            empty.Bank = 'C';
            empty.Channel = 4;
            empty.IsEmpty = true;
            form.ShowMemoryData('C', 4, empty);
        }
        form.ScanFrequencyLabeledEdit->setText(frequency);
        form.ScanStepSizeLabeledEdit->setText(step);
        rig.Commands();

        TDialogAnswerer answers;
        QCOMPARE(ErrorOf([&] { form.SaveMemoryBitBtnClick(); }), error);
        QCOMPARE(answers.Texts, dialogs);
        QCOMPARE(rig.Commands(), QByteArrayList {});
    }

    void updateWritesTheMemoryAndShowsItInTheList()
    {
        EditorRig rig;
        TScanBankMemoriesForm form(&rig.driver());
        form.LoadScanBanks(true, &form);
        form.ScanMemoriesRadioGroup->setItemIndex(4);
        form.ScanFrequencyLabeledEdit->setText(QStringLiteral("145.5 MHz"));
        form.ScanStepSizeLabeledEdit->setText(QStringLiteral("12.5 kHz"));
        form.ScanTextLabeledEdit->setText(QStringLiteral("Repeater"));
        form.ScanRxModeComboBox->setCurrentIndex(1);
        form.ScanAttenuatorIsOnCheckBox->setChecked(true);

        form.SaveMemoryBitBtnClick();
        const SimMemory* written = rig.rx.simulator.State().Memory('A', 4);
        QVERIFY(!written->isEmpty);
        QCOMPARE(written->frequency, 145500000);
        QCOMPARE(written->step, 12500);
        QCOMPARE(written->mode, SimMode::NFM);
        QVERIFY(written->attenuator);
        QCOMPARE(written->text, QByteArray("Repeater    "));
        QRadioButton* item = form.ScanMemoriesRadioGroup->button(4);
        QCOMPARE(item->text(), QStringLiteral("4  ") + FormatFrequency(145500000, 0));
        QCOMPARE(item->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(form.ScanMemoriesRadioGroup->button(5)->text(), QStringLiteral("5  Empty"));
        QCOMPARE(
            form.ScanMemoriesRadioGroup->button(5)->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(form.MemoryDeleteBitBtn->isEnabled());
    }
};

QTEST_MAIN(ScanBankEditorTest)
#include "ScanBankEditorTest.moc"
