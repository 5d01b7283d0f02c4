// The memory and bank tables of the data module: keys, missing-value markers, link-group texts, and which
// failures are logged and which reach the caller.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "app/DataModuleUnit.h"
#include "receiver/AOR8200Unit.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// A fresh copy of the build's database, opened by a data module of its own.
struct TablesRig {
    TablesRig()
    {
        if (PrepareProgramFolder(folder).isEmpty())
            throw std::runtime_error("no template database");
        tables = std::make_unique<TDataModule1>();
    }
    // A single column of every row the SQL selects, as text, in order.
    QStringList Column(const QString& sql) const
    {
        QSqlQuery query(tables->Database());
        QStringList values;
        if (!query.exec(sql))
            return {query.lastError().text()};
        while (query.next())
            values << query.value(0).toString();
        return values;
    }
    void Execute(const QString& sql) const
    {
        QSqlQuery query(tables->Database());
        if (!query.exec(sql))
            throw std::runtime_error(query.lastError().text().toStdString());
    }
    // Every insert and update of the table fails from now on.
    void Refuse(const QString& table) const
    {
        for (const char* event : {"INSERT", "UPDATE", "DELETE"})
            Execute(QStringLiteral(
                "CREATE TRIGGER Refuse%1%2 BEFORE %2 ON %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                        .arg(table, QLatin1String(event)));
    }

    QTemporaryDir folder;
    std::unique_ptr<TDataModule1> tables;
};

struct MemoryRow {
    bool found = false;
    bool isEmpty = false;
    bool pass = false;
    std::int32_t frequency = 0;
    std::int32_t step = 0;
    bool autoMode = false;
    AOR8200RxModeType mode = AOR8200RxModeWFM;
    bool attenuator = false;
    QString text;
};

MemoryRow ReadMemory(TDataModule1& tables, char bank, int channel)
{
    MemoryRow r;
    r.found = tables.ReadAOR8200MemoriesTable_(
        bank, channel, r.isEmpty, r.pass, r.frequency, r.step, r.autoMode, r.mode, r.attenuator, r.text);
    return r;
}

using Operation = std::function<void(TDataModule1&)>;

} // namespace

class MemoryTablesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void memoriesAreKeyedByCaseSensitiveBankAndChannel()
    {
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        t.UpdateAOR8200MemoriesTable_(
            'A', 5, false, true, 118100000, 25000, false, AOR8200RxModeAM, true, "Tower north runway");
        t.UpdateAOR8200MemoriesTable_(
            'a', 5, false, false, 156800000, 12500, true, AOR8200RxModeNFM, false, "Ch16");
        t.UpdateAOR8200MemoriesTable_(
            'A', 5, false, true, 118700000, 25000, false, AOR8200RxModeAM, true, "Ground");

        const MemoryRow upper = ReadMemory(t, 'A', 5);
        QVERIFY(upper.found);
        QCOMPARE(upper.frequency, 118700000);
        QCOMPARE(upper.text, QStringLiteral("Ground"));
        QVERIFY(upper.pass && upper.attenuator && !upper.isEmpty);
        QCOMPARE(upper.mode, AOR8200RxModeAM);
        const MemoryRow lower = ReadMemory(t, 'a', 5);
        QCOMPARE(lower.frequency, 156800000);
        QVERIFY(lower.autoMode);
        QVERIFY(!ReadMemory(t, 'A', 6).found);
        QCOMPARE(rig.Column("SELECT COUNT(*) FROM AOR8200MemoriesTable_"), QStringList {"2"});

        t.UpdateAOR8200MemoriesTable_(
            'B', 1, false, false, 1, 1, false, AOR8200RxModeAM, false, "123456789012345");
        QCOMPARE(ReadMemory(t, 'B', 1).text, QStringLiteral("123456789012"));
        QCOMPARE(rig.Column("SELECT MemoryChannelText FROM AOR8200MemoriesTable_ WHERE MemoryBank = 66"),
            QStringList {"123456789012"});
    }

    void emptyingABankTouchesOnlyItsStoredChannels()
    {
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        for (const char bank : {'C', 'c'})
            for (const int channel : {0, 7})
                t.UpdateAOR8200MemoriesTable_(
                    bank, channel, false, true, 145500000, 12500, true, AOR8200RxModeNFM, true, "Repeater");
        t.EmptyScanBankMemories('C');
        for (const int channel : {0, 7}) {
            const MemoryRow emptied = ReadMemory(t, 'C', channel);
            QVERIFY(emptied.isEmpty && !emptied.pass && !emptied.autoMode && !emptied.attenuator);
            QCOMPARE(emptied.frequency, 0);
            QCOMPARE(emptied.text, QStringLiteral("?"));
            QCOMPARE(ReadMemory(t, 'c', channel).frequency, 145500000);
        }
        QCOMPARE(rig.Column("SELECT COUNT(*) FROM AOR8200MemoriesTable_"), QStringList {"4"});
    }

    void scanBankRowsKeepMarkersForTheValueNotWritten()
    {
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        QString text;
        int size = 123;
        t.SetScanBankText('A', "AIRBAND");
        QVERIFY(t.GetScanBankText('A', text));
        QCOMPARE(text, QStringLiteral("AIRBAND"));
        QVERIFY(!t.GetScanBankSize('A', size));
        QCOMPARE(size, -1);
        t.SetScanBankSize('A', 50);
        QVERIFY(t.GetScanBankSize('A', size));
        QCOMPARE(size, 50);
        QVERIFY(t.GetScanBankText('A', text));
        QCOMPARE(text, QStringLiteral("AIRBAND"));

        t.SetScanBankSize('b', 0);
        QVERIFY(t.GetScanBankSize('b', size));
        QCOMPARE(size, 0);
        text = "untouched";
        QVERIFY(!t.GetScanBankText('b', text));
        QCOMPARE(text, NoBankText);
        QVERIFY(!t.GetScanBankText('B', text));
        QCOMPARE(text, NoBankText); // untouched: no row

        t.SetScanBankText('c', "Harbour pilots");
        QVERIFY(t.GetScanBankText('c', text));
        QCOMPARE(text, QStringLiteral("Harbour "));
    }

    void searchBanksAndPassFrequencies()
    {
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        t.SetSearchData(
            'T', 108000000, 137000000, 25000, false, AOR8200RxModeAM, 3, "Airband wide text", false);
        std::int32_t lower = 0, upper = 0, step = 0;
        bool autoMode = true, isEmpty = true;
        AOR8200RxModeType mode = AOR8200RxModeWFM;
        std::uint8_t attenuator = 0;
        QString text;
        QVERIFY(t.GetSearchData('T', lower, upper, step, autoMode, mode, attenuator, text, isEmpty));
        QCOMPARE(lower, 108000000);
        QCOMPARE(upper, 137000000);
        QCOMPARE(step, 25000);
        QVERIFY(!autoMode && !isEmpty);
        QCOMPARE(mode, AOR8200RxModeAM);
        QCOMPARE(attenuator, std::uint8_t(3));
        QCOMPARE(text, QStringLiteral("Airband wide"));
        QVERIFY(!t.GetSearchData('t', lower, upper, step, autoMode, mode, attenuator, text, isEmpty));

        t.WritePassFrequency('A', 0, 118000000);
        t.WritePassFrequency('A', 1, -1);
        t.WritePassFrequency('a', 0, 150000000);
        t.WritePassFrequency('A', 0, 118500000);
        std::int32_t frequency = 0;
        QVERIFY(t.ReadPassFrequency('A', 0, frequency));
        QCOMPARE(frequency, 118500000);
        QVERIFY(t.ReadPassFrequency('A', 1, frequency));
        QCOMPARE(frequency, -1);
        t.DeletePassFrequencyIndex('A', 7); // not there: nothing happens
        t.DeletePassFrequencyIndex('A', 1);
        QVERIFY(!t.ReadPassFrequency('A', 1, frequency));
        t.DeleteAllPassFrequencies('A');
        QVERIFY(!t.ReadPassFrequency('A', 0, frequency));
        QVERIFY(t.ReadPassFrequency('a', 0, frequency));
    }

    void groupRowsAndLinkGroupTexts()
    {
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        BankLetterSet group = BankLetterSet::FromLetters("x");
        t.SetScanBankLinkGroup(3, {});
        QVERIFY(t.GetScanBankLinkGroup(3, group));
        QVERIFY(group.IsEmpty());
        t.SetScanBankLinkGroup(2, BankLetterSet::FromLetters("bCAz"));
        QVERIFY(t.GetScanBankLinkGroup(2, group));
        QCOMPARE(group, BankLetterSet::FromLetters("ACb"));
        t.SetSearchBankLinkGroup(2, BankLetterSet::FromLetters("Tt"));
        QCOMPARE(rig.Column("SELECT ScanBankGroup FROM ScanGroupTable_ ORDER BY ScanBankIndex"),
            (QStringList {"A-C--------b--------", "--------------------"}));
        QCOMPARE(rig.Column("SELECT SearchBankGroup FROM SearchGroupTable_"),
            QStringList {"-------------------T-------------------t"});

        t.SetLevelScanSetting(7, 120);
        QCOMPARE(
            rig.Column("SELECT ScanAudioSquelch || ',' || ScanLevelSquelch || ',' || ScanPause || ',' || "
                       "ScanDelay || ',' || ScanBankGroup FROM ScanGroupTable_ WHERE ScanBankIndex = 7"),
            QStringList {"0,120,0,0,-"});
        QVERIFY(t.GetScanBankLinkGroup(7, group));
        QVERIFY(group.IsEmpty());
        t.SetScanPauseSecs(7, 5);
        t.SetScanDelayDeciSecs(7, 25);
        t.SetAudioScanSetting(7, 60);
        int value = 0;
        QVERIFY(t.GetLevelScanSetting(7, value));
        QCOMPARE(value, 120);
        QVERIFY(t.GetScanDelayDeciSecs(7, value));
        QCOMPARE(value, 25);
        QVERIFY(!t.GetSearchDelayDeciSecs(7, value)); // the search group 7 is another row

        t.SetSearchPauseSecs(1, 9);
        QVERIFY(t.GetSearchPauseSecs(1, value));
        QCOMPARE(value, 9);
        QVERIFY(t.GetSearchDelayDeciSecs(1, value));
        QCOMPARE(value, 0);
    }

    void failuresAreLoggedAndPassedOnAsListed_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("logged"); // empty: nothing logged
        QTest::addColumn<bool>("passedOn");
        const auto row = [](const char* name, const char* table, Operation op, const char* logged,
                             bool passed) {
            QTest::newRow(name) << QString::fromLatin1(table) << op << QString::fromLatin1(logged) << passed;
        };
        row(
            "memory", "AOR8200MemoriesTable_",
            [](TDataModule1& t) {
                t.UpdateAOR8200MemoriesTable_(
                    'A', 1, false, false, 2, 3, false, AOR8200RxModeAM, false, "new");
            },
            "TDataModule1.UpdateAOR8200MemoriesTable_ ", true);
        row(
            "empty bank", "AOR8200MemoriesTable_", [](TDataModule1& t) { t.EmptyScanBankMemories('A'); },
            "TDataModule1.UpdateAOR8200MemoriesTable_ ", true);
        row(
            "bank text", "AOR8200ScanBanksTable_", [](TDataModule1& t) { t.SetScanBankText('A', "new"); },
            "TDataModule1.SetScanBankText ", true);
        row(
            "bank size", "AOR8200ScanBanksTable_", [](TDataModule1& t) { t.SetScanBankSize('A', 7); },
            "TDataModule1.SetScanBankText ", true);
        row(
            "search", "SearchBankTable_",
            [](TDataModule1& t) { t.SetSearchData('A', 1, 2, 3, false, AOR8200RxModeAM, 0, "new", false); },
            "TDataModule1.SetSearchData ", false);
        row(
            "pass write", "SearchPassFrequenciesTable_",
            [](TDataModule1& t) { t.WritePassFrequency('A', 0, 5); }, "TDataModule1.WritePassFrequency ",
            false);
        row(
            "pass delete", "SearchPassFrequenciesTable_",
            [](TDataModule1& t) { t.DeletePassFrequencyIndex('A', 0); }, "", true);
        row(
            "pass delete all", "SearchPassFrequenciesTable_",
            [](TDataModule1& t) { t.DeleteAllPassFrequencies('A'); }, "", true);
        row(
            "scan link group", "ScanGroupTable_", [](TDataModule1& t) { t.SetScanBankLinkGroup(1, {}); },
            "TDataModule1.SetScanBankLinkGroup ", false);
        row(
            "scan delay", "ScanGroupTable_", [](TDataModule1& t) { t.SetScanDelayDeciSecs(1, 4); },
            "TDataModule1.SetScanDelayDeciSecs ", false);
        row(
            "search level", "SearchGroupTable_", [](TDataModule1& t) { t.SetLevelSearchSetting(1, 4); },
            "TDataModule1.SetLevelSearchSetting ", false);
        row(
            "search link group", "SearchGroupTable_",
            [](TDataModule1& t) { t.SetSearchBankLinkGroup(1, {}); }, "TDataModule1.SetSearchBankLinkGroup ",
            false);
    }
    void failuresAreLoggedAndPassedOnAsListed()
    {
        QFETCH(QString, table);
        QFETCH(Operation, operation);
        QFETCH(QString, logged);
        QFETCH(bool, passedOn);
        TablesRig rig;
        TDataModule1& t = *rig.tables;
        // One row of every kind, so that the writers meet an existing row as well as a missing one.
        t.UpdateAOR8200MemoriesTable_('A', 0, false, false, 1, 1, false, AOR8200RxModeAM, false, "old");
        t.SetScanBankText('A', "old");
        t.SetSearchData('A', 1, 2, 3, false, AOR8200RxModeAM, 0, "old", false);
        t.WritePassFrequency('A', 0, 7);
        t.SetScanBankLinkGroup(1, BankLetterSet::FromLetters("A"));
        t.SetSearchBankLinkGroup(1, BankLetterSet::FromLetters("A"));
        const QString contents = QStringLiteral("SELECT * FROM ") + table;
        const auto snapshot = [&] {
            QSqlQuery query(t.Database());
            QStringList rows;
            query.exec(contents);
            while (query.next()) {
                QStringList fields;
                for (int i = 0; i < query.record().count(); ++i)
                    fields << query.value(i).toString();
                rows << fields.join(',');
            }
            return rows;
        };
        const QStringList before = snapshot();
        rig.Refuse(table);

        TEventLogCapture log;
        bool thrown = false;
        try {
            operation(t);
        } catch (const std::exception&) {
            thrown = true;
        }
        QCOMPARE(thrown, passedOn);
        QCOMPARE(snapshot(), before);
        if (logged.isEmpty()) {
            QVERIFY(log.Lines.empty());
            return;
        }
        QCOMPARE(log.Lines.size(), std::size_t(1));
        QVERIFY2(log.Messages().first().startsWith(logged + "refused"), qPrintable(log.Messages().first()));
        QCOMPARE(log.Lines.front().colour, clRed);
    }
};

QTEST_GUILESS_MAIN(MemoryTablesTest)
#include "MemoryTablesTest.moc"
