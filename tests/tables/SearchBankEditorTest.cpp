// The search bank editor against the simulated receiver: the two phases of reading pass frequencies, the
// order of a selection delete, Add Pass, group index 0 and Set Search Bank Data.

#include "EditorRig.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/SearchBankMemoriesFormUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

ReceiverState WithPassFrequencies(char bank, int count)
{
    ReceiverState state = ReceiverState::Empty();
    SimSearchBank* search = state.SearchBank(bank);
    search->isEmpty = false;
    search->lower = 118000000;
    search->upper = 137000000;
    search->step = 25000;
    search->mode = SimMode::AM;
    search->text = "Airband";
    for (int k = 0; k < count; ++k)
        search->passFrequencies.append(118000000 + 25000 * k);
    return state;
}

QStringList GridFrequencies(const TSearchBankMemoriesForm& form)
{
    QStringList cells;
    for (int k = 0; k < 50; ++k) {
        const QTableWidgetItem* item = form.PassFrequencyStringGrid->item(
            TSearchBankMemoriesForm::PassRow(k), TSearchBankMemoriesForm::PassColumn(k) + 1);
        if (item && !item->text().isEmpty())
            cells.append(item->text());
    }
    return cells;
}

QStringList Expected(int count)
{
    QStringList cells;
    for (int k = 0; k < count; ++k)
        cells.append(FormatFrequency(118000000 + 25000 * k, 0));
    return cells;
}

int SearchBankItem(char bank)
{
    return int(QByteArray(SearchBankLetters).indexOf(bank));
}

} // namespace

class SearchBankEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passFrequenciesComeFromTheCopyThenFromTheReceiver()
    {
        EditorRig rig(WithPassFrequencies('C', 8));
        for (int k = 0; k < 5; ++k)
            rig.tables->WritePassFrequency('C', k, 118000000 + 25000 * k);
        rig.tables->WritePassFrequency('C', 5, -1);
        TSearchBankMemoriesForm form(&rig.driver());
        rig.driver().UseDatabaseCopy = false;

        form.LoadPassFrequencies('C', true, &form);
        QCOMPARE(GridFrequencies(form), Expected(8));
        QCOMPARE(rig.CommandsStartingWith("PR"), (QByteArrayList {"PRC05", "PRC06", "PRC07", "PRC08"}));
        QVERIFY(!rig.driver().UseDatabaseCopy);
        QCOMPARE(form.PassFrequencyStringGrid->item(0, 1)->text(), QStringLiteral("Frequency"));
        QCOMPARE(form.PassFrequencyStringGrid->item(2, 4)->text(), QStringLiteral("5"));

        // A full bank: every index read, and the last one again from the receiver.
        EditorRig full(WithPassFrequencies('d', 50));
        TSearchBankMemoriesForm fullForm(&full.driver());
        fullForm.LoadPassFrequencies('d', true, &fullForm);
        QCOMPARE(GridFrequencies(fullForm), Expected(50));
        const QByteArrayList reads = full.CommandsStartingWith("PR");
        QCOMPARE(reads.size(), 51);
        QCOMPARE(reads.constLast(), QByteArray("PRd49"));
    }

    void selectionDeleteGoesFromTheHighestIndexDown()
    {
        EditorRig rig(WithPassFrequencies('A', 8));
        TSearchBankMemoriesForm form(&rig.driver());
        form.LoadSearchBanks(false, &form);
        form.SearchBanksRadioGroup->setItemIndex(SearchBankItem('A'));
        // Rows 1 and 2, all columns: indexes 0 to 5.
        form.PassFrequencyStringGrid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 5), true);
        rig.Commands();

        form.DeleteSelectionBitBtnClick();
        QCOMPARE(rig.CommandsStartingWith("PD"),
            (QByteArrayList {"PDA05", "PDA04", "PDA03", "PDA02", "PDA01", "PDA00"}));
        QCOMPARE(rig.rx.simulator.State().SearchBank('A')->passFrequencies,
            (QList<qint32> {118000000 + 25000 * 6, 118000000 + 25000 * 7}));
        QCOMPARE(GridFrequencies(form),
            (QStringList {FormatFrequency(118150000, 0), FormatFrequency(118175000, 0)}));
    }

    void withoutABankSelectedTheDeletesDoNothing()
    {
        EditorRig rig(WithPassFrequencies('A', 3));
        TSearchBankMemoriesForm form(&rig.driver());
        TDialogAnswerer answers;
        form.DeleteAllPassFrequenciesBitBtnClick();
        form.DeleteSelectionBitBtnClick();
        QCOMPARE(rig.Commands(), QByteArrayList {});
        QCOMPARE(answers.Texts, QStringList {});
    }

    void addPassEndsTheRecordingAndShowsTheNewEntry()
    {
        ReceiverState state = WithPassFrequencies('B', 2);
        state.activity = SimActivity::Search;
        state.currentSearchBank = 'B';
        state.searchHitBank = 'B';
        state.searchFrequency = 119000000;
        EditorRig rig(state);
        TSearchBankMemoriesForm form(&rig.driver());
        int recordingsStopped = 0;
        form.StopRecording = [&] { ++recordingsStopped; };
        form.LoadSearchBanks(true, &form);
        form.SearchBanksRadioGroup->setItemIndex(SearchBankItem('B'));
        QCOMPARE(GridFrequencies(form).size(), 2);

        form.SearchWritePassBitBtnClick();
        QCOMPARE(recordingsStopped, 1);
        QCOMPARE(rig.rx.simulator.State().SearchBank('B')->passFrequencies.size(), 3);
        QCOMPARE(GridFrequencies(form).size(), 3);
    }

    void groupIndexZeroSendsOnlyTheIndex()
    {
        ReceiverState state = ReceiverState::Empty();
        state.searchGroups[2] = SimGroup {"AKt", 16, 32, 30, 9};
        EditorRig rig(state);
        TSearchBankMemoriesForm form(&rig.driver());
        form.LoadSearchGroup(2, false, &form);
        QCOMPARE(form.SearchLevelScrollBar->value(), 32);
        QCOMPARE(form.SearchDelaySpinEdit->value(), 30);
        QStringList checked;
        for (QCheckBox* box : form.SearchBankGroupGroupBox->findChildren<QCheckBox*>()) {
            if (box->isChecked())
                checked.append(box->text());
        }
        QCOMPARE(checked, (QStringList {"A", "K", "t"}));
        rig.Commands();

        form.LoadSearchGroup(0, false, &form);
        QCOMPARE(rig.Commands(), QByteArrayList {"GS0"});
        QVERIFY(!form.SearchLevelScrollBar->isEnabled());
        QCOMPARE(form.SearchLevelScrollBar->value(), 0);
        QCOMPARE(form.SearchPauseSpinEdit->value(), 0);
        for (QCheckBox* box : form.SearchBankGroupGroupBox->findChildren<QCheckBox*>())
            QVERIFY(!box->isChecked() && !box->isEnabled());
    }

    void setSearchBankDataSendsTheEditsAndReadsTheBankBack()
    {
        EditorRig rig;
        TSearchBankMemoriesForm form(&rig.driver());
        form.LoadSearchBanks(true, &form);
        form.SearchBanksRadioGroup->setItemIndex(SearchBankItem('e'));
        form.SearchLowerFrequencyLabeledEdit->setText(QStringLiteral("156 MHz"));
        form.SearchUpperFrequencyLabeledEdit->setText(QStringLiteral("162.025 MHz"));
        form.SearchStepSizeLabeledEdit->setText(QStringLiteral("25 kHz"));
        form.SearchBankTextLabeledEdit->setText(QStringLiteral("Marine band VHF"));
        form.SearchRxModeComboBox->setCurrentIndex(1);

        form.SetSearchBankDataBitBtnClick();
        const SimSearchBank* written = rig.rx.simulator.State().SearchBank('e');
        QVERIFY(!written->isEmpty);
        QCOMPARE(written->lower, 156000000);
        QCOMPARE(written->upper, 162025000);
        QCOMPARE(written->step, 25000);
        QCOMPARE(written->mode, SimMode::NFM);
        QCOMPARE(written->text, QByteArray("Marine band "));
        QCOMPARE(form.SearchBanksRadioGroup->itemIndex(), SearchBankItem('e'));
        QVERIFY(form.SearchBanksRadioGroup->button(SearchBankItem('e'))->text().startsWith("e  Marine band"));
        QVERIFY(!form.SearchIsEmpyCheckBox->isChecked());

        // A bad upper frequency sends nothing.
        form.SearchUpperFrequencyLabeledEdit->setText(QStringLiteral("162 MHz and more"));
        rig.Commands();
        QVERIFY(ErrorOf([&] { form.SetSearchBankDataBitBtnClick(); }).startsWith("Invalid Frequency String"));
        QCOMPARE(rig.CommandsStartingWith("SE"), QByteArrayList {});
    }
};

QTEST_MAIN(SearchBankEditorTest)
#include "SearchBankEditorTest.moc"
