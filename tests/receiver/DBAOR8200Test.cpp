// The database-mirrored driver against the simulated receiver and a fresh database: reads answered from the
// copy without traffic, receiver reads and writes stored, the group index cache, and failures on either side.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "SimulatedReceiver.h"
#include "app/DataModuleUnit.h"
#include "receiver/DBAOR8200Unit.h"

#include <QSqlQuery>
#include <QTest>

namespace {

std::unique_ptr<TDataModule1> OpenTables(const QTemporaryDir& folder)
{
    if (PrepareProgramFolder(folder).isEmpty())
        throw std::runtime_error("no template database");
    return std::make_unique<TDataModule1>();
}

// The data module outlives the driver.
struct MirrorRig {
    explicit MirrorRig(const ReceiverState& state = ReceiverState::Empty())
        : tables(OpenTables(folder))
        , rx(QuickOptions(state), nullptr, tables.get())
    {
    }
    TDBAOR8200& Driver() { return *rx.driver; }
    MemoryChannelRecord Stored(char bank, int channel)
    {
        MemoryChannelRecord record;
        record.Bank = bank;
        record.Channel = channel;
        QString text;
        if (!tables->ReadAOR8200MemoriesTable_(bank, channel, record.IsEmpty, record.PassFlag,
                record.Frequency, record.StepSize, record.AutoMode, record.ReceiveMode, record.Attenuator,
                text))
            return {};
        record.Text = text;
        return record;
    }

    QTemporaryDir folder;
    std::unique_ptr<TDataModule1> tables;
    SimulatedReceiver<TDBAOR8200> rx;
};

} // namespace

class DBAOR8200Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void memoryReadsComeFromTheCopyWhileItIsOn()
    {
        ReceiverState state = ReceiverState::Empty();
        *state.Memory('A', 5) = HeldMemory(118100000, "Tower");
        MirrorRig rig(state);
        MemoryChannelRecord record;
        rig.Driver().ReadMemoryRecord('A', 5, record);
        QCOMPARE(rig.rx.TakeCommands(), (QByteArrayList {"MRA05", "RX"}));
        QCOMPARE(rig.Stored('A', 5), record);

        *state.Memory('A', 5) = HeldMemory(118700000, "Ground");
        rig.rx.simulator.SetState(state);
        rig.Driver().UseDatabaseCopy = true;
        MemoryChannelRecord copy;
        rig.Driver().ReadMemoryRecord('A', 5, copy);
        QCOMPARE(copy, record);
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {});

        rig.Driver().UseDatabaseCopy = false;
        rig.Driver().ReadMemoryRecord('A', 5, record);
        QCOMPARE(record.Frequency, 118700000);
        QCOMPARE(rig.Stored('A', 5), record);
        QCOMPARE(rig.rx.TakeCommands(), (QByteArrayList {"MRA05", "RX"}));

        // A channel the copy does not hold is asked for even with the copy on, and stored empty.
        rig.Driver().UseDatabaseCopy = true;
        rig.Driver().ReadMemoryRecord('b', 9, record);
        QVERIFY(record.IsEmpty);
        QVERIFY(rig.Stored('b', 9).IsEmpty);
        QCOMPARE(rig.rx.TakeCommands(), (QByteArrayList {"MRb09", "RX"}));
    }

    void writesGoToTheReceiverThenTheCopy()
    {
        ReceiverState state = ReceiverState::Empty();
        for (int channel = 0; channel < 3; ++channel) {
            *state.Memory('C', channel) = HeldMemory(156000000 + channel * 25000, "Marine");
            *state.Memory('c', channel) = HeldMemory(157000000 + channel * 25000, "Marine");
        }
        MirrorRig rig(state);
        for (const char bank : {'C', 'c'})
            for (int channel = 0; channel < 3; ++channel) {
                MemoryChannelRecord record;
                rig.Driver().ReadMemoryRecord(bank, channel, record);
            }

        rig.Driver().WriteMemory('D', 1, true, 145500000, 12500, false, AOR8200RxModeNFM, false, "Calling");
        const MemoryChannelRecord written = rig.Stored('D', 1);
        QVERIFY(!written.IsEmpty && written.PassFlag);
        QCOMPARE(written.Text.ToString(), QStringLiteral("Calling"));
        QVERIFY(!rig.rx.simulator.State().Memory('D', 1)->isEmpty);

        rig.Driver().DeleteMemory('C', 2);
        QVERIFY(rig.Stored('C', 2).IsEmpty);
        QCOMPARE(rig.Stored('C', 2).Text.ToString(), QStringLiteral("?"));

        rig.Driver().SetScanBankSize('C', 30);
        int size = 0;
        QVERIFY(rig.tables->GetScanBankSize('C', size));
        QCOMPARE(size, 30);
        QVERIFY(!rig.tables->GetScanBankSize('c', size));
        for (const char bank : {'C', 'c'})
            for (int channel = 0; channel < 3; ++channel)
                QVERIFY(rig.Stored(bank, channel).IsEmpty);
    }

    void passSlotsAndSearchBanksAreStoredAsRead()
    {
        ReceiverState state = ReceiverState::Empty();
        state.SearchBank('A')->passFrequencies = {118000000};
        MirrorRig rig(state);
        QCOMPARE(rig.Driver().ReadPassFrequency('A', 3), -1);
        std::int32_t stored = 0;
        QVERIFY(rig.tables->ReadPassFrequency('A', 3, stored));
        QCOMPARE(stored, -1);
        rig.Driver().SetSearchData('A', 108000000, 137000000, 25000, false, AOR8200RxModeAM, 0, "Air");
        rig.rx.TakeCommands();

        rig.Driver().UseDatabaseCopy = true;
        QCOMPARE(rig.Driver().ReadPassFrequency('A', 3), -1);
        QCOMPARE(rig.Driver().GetSearchBankText('A'), QStringLiteral("Air"));
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {});

        rig.Driver().DeleteAllPassFrequencies('A');
        QVERIFY(!rig.tables->ReadPassFrequency('A', 3, stored));
    }

    void groupIndexesAreCachedOnlyWhenSetHere()
    {
        ReceiverState state = ReceiverState::Empty();
        state.searchGroupIndex = 2;
        state.searchGroups[2].delayTenths = 25;
        state.searchGroups[2].pauseSecs = 4;
        MirrorRig rig(state);
        rig.Driver().UseDatabaseCopy = true;
        QCOMPARE(rig.Driver().GetScanGroupIndex(), 1);
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {"GM"});
        rig.Driver().SetScanGroupIndex(4);
        QCOMPARE(rig.Driver().GetScanGroupIndex(), 4);
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {"GM4"});

        // The delay read from the receiver becomes the group's delay; the stored pause stays.
        rig.tables->SetSearchPauseSecs(2, 9);
        rig.Driver().UseDatabaseCopy = false;
        QCOMPARE(rig.Driver().GetSearchDelayDeciSecs(), 25);
        QCOMPARE(rig.rx.TakeCommands(), (QByteArrayList {"SD", "GS"}));
        int value = 0;
        QVERIFY(rig.tables->GetSearchDelayDeciSecs(2, value));
        QCOMPARE(value, 25);
        QVERIFY(rig.tables->GetSearchPauseSecs(2, value));
        QCOMPARE(value, 9);

        rig.Driver().UseDatabaseCopy = true;
        rig.Driver().SetSearchGroupIndex(2);
        rig.rx.TakeCommands();
        QCOMPARE(rig.Driver().GetSearchDelayDeciSecs(), 25);
        QCOMPARE(rig.Driver().GetSearchPauseSecs(), 9);
        QCOMPARE(rig.rx.TakeCommands(), QByteArrayList {});
        rig.Driver().SetSearchPauseSecs(30);
        QVERIFY(rig.tables->GetSearchPauseSecs(2, value));
        QCOMPARE(value, 30);
        QCOMPARE(rig.rx.simulator.State().searchGroups[2].pauseSecs, 30);
    }

    void receiverFailuresLeaveTheCopyAlone()
    {
        ReceiverState state = ReceiverState::Empty();
        for (int channel = 0; channel < 8; ++channel)
            *state.Memory('E', channel) = HeldMemory(446006250 + channel * 12500, "PMR");
        MirrorRig rig(state);
        rig.Driver().RetryCount = 2;
        for (int channel = 0; channel < 5; ++channel) {
            MemoryChannelRecord record;
            rig.Driver().ReadMemoryRecord('E', channel, record);
        }
        const MemoryChannelRecord before = rig.Stored('E', 4);

        rig.rx.simulator.SetSilent(true);
        QVERIFY(!ErrorOf([&] {
            rig.Driver().WriteMemory('E', 4, false, 1000000, 5000, false, AOR8200RxModeAM, false, "Gone");
        }).isEmpty());
        QCOMPARE(rig.Stored('E', 4), before);

        // Unplugged in the middle of a dump: the rows read so far stay as they were read.
        rig.rx.simulator.Stop();
        MemoryChannelRecord record;
        QCOMPARE(
            ErrorOf([&] { rig.Driver().ReadMemoryRecord('E', 5, record); }), QStringLiteral("RecallMemory"));
        QVERIFY(rig.Stored('E', 5) == MemoryChannelRecord());
        for (int channel = 0; channel < 5; ++channel)
            QCOMPARE(rig.Stored('E', channel).Frequency, 446006250 + channel * 12500);
    }

    void databaseFailuresWhileMirroring()
    {
        MirrorRig rig;
        TEventLogCapture log;
        QSqlQuery query(rig.tables->Database());
        for (const char* table : {"AOR8200MemoriesTable_", "SearchBankTable_"})
            QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER Refuse%1 BEFORE INSERT ON %1 BEGIN SELECT "
                                              "RAISE(ABORT, 'disk full'); END")
                                   .arg(QLatin1String(table))));

        // The receiver has changed; the caller hears of the copy that could not follow.
        QVERIFY(ErrorOf([&] {
            rig.Driver().WriteMemory(
                'A', 0, false, 145500000, 12500, false, AOR8200RxModeNFM, false, "Calling");
        }).startsWith("disk full"));
        QVERIFY(!rig.rx.simulator.State().Memory('A', 0)->isEmpty);
        // A search bank's copy failing is only logged.
        QCOMPARE(ErrorOf([&] {
            rig.Driver().SetSearchData('B', 144000000, 146000000, 12500, false, AOR8200RxModeNFM, 0, "2m");
        }),
            QString());
        QVERIFY(!rig.rx.simulator.State().SearchBank('B')->isEmpty);
        const QStringList messages = log.Messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages.at(0).startsWith("TDataModule1.UpdateAOR8200MemoriesTable_ disk full"));
        QVERIFY(messages.at(1).startsWith("TDataModule1.SetSearchData disk full"));
    }
};

QTEST_GUILESS_MAIN(DBAOR8200Test)
#include "DBAOR8200Test.moc"
