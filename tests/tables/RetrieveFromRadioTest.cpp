// Retrieval from the receiver and the duplicate check: the retrieve frame with live audio, the editors'
// selections and group indexes after a retrieval, and the duplicate lines.

#include "EditorRig.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/DuplicateScanMemoriesUnit.h"
#include "tables/ReceiverBracketUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"
#include "tables/SearchBankMemoriesFormUnit.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

namespace {

MemoryChannelRecord Memory(char bank, int channel, qint32 frequency)
{
    MemoryChannelRecord record;
    record.Bank = bank;
    record.Channel = channel;
    record.Frequency = frequency;
    return record;
}

int Item(const char* letters, char bank)
{
    return int(QByteArray(letters).indexOf(bank));
}

} // namespace

class RetrieveFromRadioTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void retrieveFrameSwitchesLiveAudioOffAndBackOn_data()
    {
        QTest::addColumn<bool>("audioOn");
        QTest::addColumn<bool>("fails");
        QTest::newRow("on") << true << false;
        QTest::newRow("on, failing") << true << true;
        QTest::newRow("off") << false << false;
        QTest::newRow("off, failing") << false << true;
    }
    void retrieveFrameSwitchesLiveAudioOffAndBackOn()
    {
        QFETCH(bool, audioOn);
        QFETCH(bool, fails);
        ReceiverState state = ReceiverState::Empty();
        state.squelchReporting = true;
        EditorRig rig(state);
        bool on = audioOn;
        int toggles = 0;
        const TLiveAudio audio {[&] { return on; },
            [&] {
                on = !on;
                ++toggles;
            }};
        bool ranWithAudioOff = false;
        bool ranWithReportsOff = false;
        const QString error = ErrorOf([&] {
            RunRetrieveFrame(&rig.driver(), nullptr, audio, [&] {
                ranWithAudioOff = !on;
                ranWithReportsOff = !rig.rx.simulator.State().squelchReporting;
                if (fails)
                    throw EAOR8200(QStringLiteral("RecallMemory"));
            });
        });
        QCOMPARE(error, fails ? QStringLiteral("RecallMemory") : QString());
        QVERIFY(ranWithAudioOff);
        QVERIFY(ranWithReportsOff);
        QCOMPARE(on, audioOn);
        QCOMPARE(toggles, audioOn ? 2 : 0);
        QVERIFY(rig.rx.simulator.State().squelchReporting);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void retrieveWithoutAPortAsksForOneAndSendsNothing()
    {
        QTemporaryDir folder;
        const auto tables = OpenEditorTables(folder);
        TDBAOR8200 driver(nullptr, tables.get());
        bool ran = false;
        TDialogAnswerer answers;
        RunRetrieveFrame(&driver, nullptr, {}, [&] { ran = true; });
        RunRetrieveFrame(nullptr, nullptr, {}, [&] { ran = true; });
        QVERIFY(!ran);
        QCOMPARE(answers.Texts, (QStringList {"Please select a comm port", "Please select a comm port"}));

        TScanBankMemoriesForm scan(&driver);
        TSearchBankMemoriesForm search(&driver);
        scan.RetrieveScanBanksFromRadio(&scan);
        search.RetrieveSearchBanksFromRadio(&search);
        QCOMPARE(answers.Texts.mid(2), (QStringList {"No comm port", "No comm port"}));
    }

    void scanRetrievalReplacesTheCopyAndKeepsTheSelections()
    {
        ReceiverState state = ReceiverState::Empty();
        *state.Memory('A', 3) = HeldMemory(145500000, "Repeater");
        *state.Memory('b', 10) = HeldMemory(145500000, "Same");
        *state.Memory('c', 3) = HeldMemory(156800000, "Channel 16");
        state.scanGroups[4] = SimGroup {"Ac", 20, 30, 10, 5};
        state.scanGroupIndex = 4;
        EditorRig rig(state);
        TScanBankMemoriesForm form(&rig.driver());
        form.LoadScanBanks(true, &form);
        form.ScanBanksRadioGroup->setItemIndex(Item(ScanBankLetters, 'c'));
        form.ScanMemoriesRadioGroup->setItemIndex(3);
        // The copy holds something the receiver no longer has.
        rig.tables->UpdateAOR8200MemoriesTable_(
            'J', 7, false, false, 100000000, 5000, false, AOR8200RxModeWFM, false, QStringLiteral("Stale"));
        rig.tables->SetScanBankText('A', QStringLiteral("Old"));
        ReceiverState changed = rig.rx.simulator.State();
        changed.scanGroupIndex = 4;
        rig.rx.simulator.SetState(changed);
        rig.driver().UseDatabaseCopy = true;

        TEventLogCapture log;
        form.RetrieveScanBanksFromRadio(&form);
        QCOMPARE(log.Messages(), QStringList {});
        QCOMPARE(form.ScanBanksRadioGroup->itemIndex(), Item(ScanBankLetters, 'c'));
        QCOMPARE(form.ScanMemoriesRadioGroup->itemIndex(), 3);
        QCOMPARE(form.ScanBankLabel->text(), QStringLiteral("c"));
        QCOMPARE(form.ScanChannelLabel->text(), QStringLiteral("03"));
        QCOMPARE(form.ScanGroupIndexRadioGroup->itemIndex(), 4);
        QCOMPARE(rig.rx.simulator.State().scanGroupIndex, 4);
        QVERIFY(rig.driver().UseDatabaseCopy);
        QVERIFY(!rig.rx.simulator.State().squelchReporting);

        bool isEmpty = false;
        bool flag = false;
        std::int32_t frequency = 0;
        std::int32_t step = 0;
        AOR8200RxModeType mode = AOR8200RxModeWFM;
        QString text;
        QVERIFY(rig.tables->ReadAOR8200MemoriesTable_(
            'J', 7, isEmpty, flag, frequency, step, flag, mode, flag, text));
        QVERIFY(isEmpty);
        QVERIFY(rig.tables->GetScanBankText('A', text));
        QCOMPARE(text.trimmed(), QString());
        BankLetterSet linked;
        QVERIFY(rig.tables->GetScanBankLinkGroup(4, linked));
        QCOMPARE(linked, BankLetterSet::FromLetters(QStringLiteral("Ac")));

        // The copy now answers the duplicate check without traffic.
        rig.Commands();
        TDialogAnswerer answers;
        form.CheckForDuplicateScanMemories(&form);
        QCOMPARE(answers.Texts, QStringList {FormatFrequency(145500000, 0) + "  A03  b10"});
        QCOMPARE(rig.CommandsStartingWith("MR"), QByteArrayList {});
    }

    void searchRetrievalKeepsTheBankAndTheGroupIndex()
    {
        ReceiverState state = ReceiverState::Empty();
        SimSearchBank* bank = state.SearchBank('D');
        bank->isEmpty = false;
        bank->lower = 118000000;
        bank->upper = 137000000;
        bank->step = 25000;
        bank->text = "Airband";
        bank->passFrequencies = {118100000, 121500000};
        state.searchGroups[3] = SimGroup {"Dd", 10, 20, 30, 40};
        state.searchGroupIndex = 3;
        EditorRig rig(state);
        TSearchBankMemoriesForm form(&rig.driver());
        form.LoadSearchBanks(true, &form);
        form.SearchBanksRadioGroup->setItemIndex(Item(SearchBankLetters, 'D'));

        TEventLogCapture log;
        form.RetrieveSearchBanksFromRadio(&form);
        QCOMPARE(log.Messages(), QStringList {});
        QCOMPARE(form.SearchBanksRadioGroup->itemIndex(), Item(SearchBankLetters, 'D'));
        QCOMPARE(form.SearchGroupIndexRadioGroup->itemIndex(), 3);
        QCOMPARE(rig.rx.simulator.State().searchGroupIndex, 3);
        QCOMPARE(form.PassFrequencyStringGrid->item(1, 1)->text(), FormatFrequency(118100000, 0));
        std::int32_t frequency = 0;
        QVERIFY(rig.tables->ReadPassFrequency('D', 2, frequency));
        QCOMPARE(frequency, -1);
        int value = 0;
        QVERIFY(rig.tables->GetSearchPauseSecs(3, value));
        QCOMPARE(value, 40);
    }

    void duplicateLinesPairEachMemoryWithEveryLaterOne_data()
    {
        QTest::addColumn<std::vector<MemoryChannelRecord>>("memories");
        QTest::addColumn<QStringList>("lines");
        const QString f = FormatFrequency(145500000, 0);
        QTest::newRow("none") << std::vector {Memory('A', 0, 145500000), Memory('A', 1, 145525000)}
                              << QStringList {};
        QTest::newRow("A03 and b10") << std::vector {Memory('A', 3, 145500000), Memory('b', 10, 145500000)}
                                     << QStringList {f + "  A03  b10"};
        QTest::newRow("three on one frequency")
            << std::vector {Memory('A', 1, 145500000), Memory('C', 2, 145500000), Memory('j', 49, 145500000)}
            << QStringList {f + "  A01  C02", f + "  A01  j49", f + "  C02  j49"};
    }
    void duplicateLinesPairEachMemoryWithEveryLaterOne()
    {
        QFETCH(std::vector<MemoryChannelRecord>, memories);
        QFETCH(QStringList, lines);
        QCOMPARE(DuplicateScanMemoryLines(memories), lines);
    }
};

QTEST_MAIN(RetrieveFromRadioTest)
#include "RetrieveFromRadioTest.moc"
