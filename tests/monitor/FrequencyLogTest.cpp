// The frequency log store: the update rules, the grid's view following each change without a re-query,
// clearing and ordering, and the two kinds of failure.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "app/DataModuleUnit.h"
#include "monitor/FrequencyLogUnit.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>
#include <optional>

namespace {

constexpr double Second = 1.0 / 86400.0;
constexpr double T0 = 45321.5; // 2024-01-30 12:00

struct StoredRow {
    double LastSquelchDateTime;
    int SquelchCount;
    double SquelchDuration;
    QString MemoryId, ShortComment, LongComment;
};

} // namespace

class FrequencyLogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TDataModule1> Module;

    void Exec(const QString& sql)
    {
        QSqlQuery query(Module->Database());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text() + " in " + sql));
    }

    std::optional<StoredRow> Stored(std::int32_t frequency)
    {
        QSqlQuery query(Module->Database());
        query.prepare("SELECT LastSquelchDateTime, SquelchCount, SquelchDuration, MemoryId, ShortComment, "
                      "LongComment FROM FrequencyLogTable_ WHERE Frequency = ?");
        query.addBindValue(frequency);
        if (!query.exec() || !query.next())
            return std::nullopt;
        return StoredRow {query.value(0).toDouble(), query.value(1).toInt(), query.value(2).toDouble(),
            query.value(3).toString(), query.value(4).toString(), query.value(5).toString()};
    }

    // The view's value in the row showing the frequency.
    QVariant Shown(std::int32_t frequency, const char* field)
    {
        TFrequencyLogView* view = Module->FrequencyLogView();
        const int row = view->RowOf(frequency);
        for (int column = 0; column < view->columnCount(); ++column) {
            if (view->FieldName(column) == QLatin1String(field))
                return view->data(view->index(row, column), Qt::EditRole);
        }
        return {};
    }

    double Update(std::int32_t f, int count, double t, double duration, bool search, char bank, int channel)
    {
        double total = -1;
        Module->UpdateFrequencyLog(f, count, t, duration, search, bank, channel, total);
        return total;
    }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(!PrepareProgramFolder(*Folder).isEmpty());
        Module = std::make_unique<TDataModule1>();
        Exec("DELETE FROM FrequencyLookupTable_");
        // A05 holds 145.5 MHz as TOWER, which the lookup table knows as TWR.
        Exec("INSERT INTO AOR8200MemoriesTable_ VALUES (65, 5, 0, 0, 145500000, 12500, 0, 1, 0, 'TOWER')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (145500000, 1, '  TWR ', ' Airport tower  ')");
        Module->FrequencyLogQuery_->Open(Module->Database());
    }
    void cleanup()
    {
        Module.reset();
        Folder.reset();
    }

    // One squelch period on a new frequency, and the names it gets.
    void periodCountsOnceAndAddsItsDuration()
    {
        const std::int32_t f = 146000000;
        QCOMPARE(Update(f, 1, T0, 0.0, false, 'B', 7), 0.0);
        auto row = Stored(f);
        QVERIFY(row);
        QCOMPARE(row->SquelchCount, 1);
        QCOMPARE(row->SquelchDuration, 0.0);
        QCOMPARE(row->LastSquelchDateTime, T0);
        QCOMPARE(row->MemoryId, QString("B07"));
        QCOMPARE(row->ShortComment, QString("N/A"));
        QCOMPARE(row->LongComment, QString("Not found in database"));

        const double total = Update(f, 0, T0 + 12 * Second, 12 * Second, false, 'B', 7);
        QCOMPARE(total, 12 * Second);
        row = Stored(f);
        QCOMPARE(row->SquelchCount, 1);
        QCOMPARE(row->SquelchDuration, 12 * Second);
        QCOMPARE(row->LastSquelchDateTime, T0 + 12 * Second);
    }

    void commentsComeFromMemoryOrLookup_data()
    {
        QTest::addColumn<bool>("isSearch");
        QTest::addColumn<char>("bank");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("shortComment");
        QTest::addColumn<QString>("memoryId");
        QTest::newRow("heard on its memory") << false << 'A' << 5 << "TOWER"
                                             << "A05";
        QTest::newRow("heard during a search") << true << 'A' << 5 << "TWR"
                                               << "Sch";
        QTest::newRow("heard on another memory") << false << 'a' << 42 << "TWR"
                                                 << "a42";
    }
    void commentsComeFromMemoryOrLookup()
    {
        QFETCH(bool, isSearch);
        QFETCH(char, bank);
        QFETCH(int, channel);
        QFETCH(QString, shortComment);
        QFETCH(QString, memoryId);
        Update(145500000, 1, T0, 0, isSearch, bank, channel);
        const auto row = Stored(145500000);
        QCOMPARE(row->ShortComment, shortComment);
        QCOMPARE(row->LongComment, QString("Airport tower"));
        QCOMPARE(row->MemoryId, memoryId);
    }

    void memoryIdStaysTheFirstOne()
    {
        Update(145500000, 1, T0, 0, false, 'A', 5);
        Update(145500000, 1, T0 + Second, 0, true, 'A', 0);
        const auto row = Stored(145500000);
        QCOMPARE(row->MemoryId, QString("A05"));
        QCOMPARE(row->SquelchCount, 2);
        QCOMPARE(row->ShortComment, QString("TWR")); // comments follow the latest report
    }

    void frequencyZeroChangesNothing()
    {
        double total = 7;
        Module->UpdateFrequencyLog(0, 0, T0, 3 * Second, false, 'A', 5, total);
        Module->UpdateFrequencyLog(-50, 1, T0, 0, false, 'A', 5, total);
        QCOMPARE(total, 7.0);
        QSqlQuery count(Module->Database());
        QVERIFY(count.exec("SELECT COUNT(*) FROM FrequencyLogTable_") && count.next());
        QCOMPARE(count.value(0).toInt(), 0);
    }

    void closingAfterClearMakesARow()
    {
        Update(146000000, 1, T0, 0, false, 'B', 7);
        Module->ClearFrequencyLog();
        QCOMPARE(Module->FrequencyLogView()->rowCount(), 0);
        QCOMPARE(Update(146000000, 0, T0 + 9 * Second, 9 * Second, false, 'B', 7), 9 * Second);
        const auto row = Stored(146000000);
        QCOMPARE(row->SquelchCount, 1);
        QCOMPARE(row->SquelchDuration, 9 * Second);
    }

    // The grid's view shows new and changed rows at once and makes them current, without a re-query.
    void viewFollowsEachUpdate()
    {
        Exec("INSERT INTO FrequencyLogTable_ VALUES (120000000, 1.0, 4, 0.5, 'C01', 'x', 'y')");
        Exec("INSERT INTO FrequencyLogTable_ VALUES (150000000, 1.0, 2, 0.5, 'C02', 'x', 'y')");
        Module->FrequencyLogQuery_->Open(Module->Database());
        TFrequencyLogView* view = Module->FrequencyLogView();
        int resets = 0;
        QObject scope;
        connect(view, &QAbstractItemModel::modelReset, &scope, [&resets] { ++resets; });
        QCOMPARE(view->rowCount(), 2);

        Update(150000000, 1, T0, 0, false, 'C', 2);
        QCOMPARE(Shown(150000000, "SquelchCount").toInt(), 3);
        QCOMPARE(view->Cursor()->currentIndex().row(), 1);
        QVERIFY(view->Cursor()->isRowSelected(1, QModelIndex()));

        Update(130000000, 1, T0, 0, false, 'C', 3);
        QCOMPARE(view->rowCount(), 3);
        QCOMPARE(view->Cursor()->currentIndex().row(), view->RowOf(130000000));
        QCOMPARE(Shown(130000000, "MemoryId").toString(), QString("C03"));
        QCOMPARE(Shown(130000000, "ShortComment").toString(), QString("N/A"));
        QCOMPARE(resets, 0);
        // The underlying query still shows the state it was opened with.
        QCOMPARE(Module->FrequencyLogQuery_->rowCount(), 2);
    }

    void orderByColumnIsAscending()
    {
        Exec("INSERT INTO FrequencyLogTable_ VALUES (120000000, 1.0, 9, 0.5, 'C01', 'x', 'y')");
        Exec("INSERT INTO FrequencyLogTable_ VALUES (150000000, 1.0, 2, 0.5, 'C02', 'x', 'y')");
        Exec("INSERT INTO FrequencyLogTable_ VALUES (160000000, 1.0, 5, 0.5, 'C03', 'x', 'y')");
        Module->OrderFrequencyLogBy("SquelchCount");
        QCOMPARE(Module->FrequencyLogQuery_->SQL(),
            QString("Select * From FrequencyLogTable_ Order by SquelchCount"));
        TFrequencyLogView* view = Module->FrequencyLogView();
        QCOMPARE(view->RowOf(150000000), 0);
        QCOMPARE(view->RowOf(160000000), 1);
        QCOMPARE(view->RowOf(120000000), 2);
        // Titles survive the reopening; a name that is no column of the log is refused.
        QCOMPARE(view->headerData(2, Qt::Horizontal).toString(), QString("Count"));
        Module->OrderFrequencyLogBy("SquelchCount; DROP TABLE FrequencyLogTable_");
        QCOMPARE(Module->FrequencyLogQuery_->SQL(),
            QString("Select * From FrequencyLogTable_ Order by SquelchCount"));
    }

    // A row that cannot be stored loses that one update; the log and the view keep the earlier state.
    void failedSaveLosesOnlyThatUpdate()
    {
        Update(146000000, 1, T0, 0, false, 'B', 7);
        Exec("CREATE TRIGGER RefuseUpdate BEFORE UPDATE ON FrequencyLogTable_ "
             "BEGIN SELECT RAISE(ABORT, 'disk is full'); END");
        TEventLogCapture log;
        double total = 5;
        Module->UpdateFrequencyLog(146000000, 0, T0 + Second, Second, false, 'B', 7, total);
        QCOMPARE(total, 5.0);
        QCOMPARE(log.Lines.size(), size_t(1));
        QVERIFY2(log.Lines[0].text.startsWith("TDataModule1.UpdateFrequencyLog ")
                && log.Lines[0].text.contains("disk is full"),
            qPrintable(log.Lines[0].text));
        QCOMPARE(log.Lines[0].colour, clRed);
        QCOMPARE(Stored(146000000)->SquelchDuration, 0.0);
        QCOMPARE(Shown(146000000, "SquelchDuration").toDouble(), 0.0);

        Exec("DROP TRIGGER RefuseUpdate");
        QCOMPARE(Update(146000000, 0, T0 + 2 * Second, 2 * Second, false, 'B', 7), 2 * Second);
    }

    // Without the memory table only the memory text is lost; the lookup comment stands in.
    void failedMemorySearchKeepsTheUpdate()
    {
        Exec("ALTER TABLE AOR8200MemoriesTable_ RENAME TO MovedAway");
        TEventLogCapture log;
        Update(145500000, 1, T0, 0, false, 'A', 5);
        QCOMPARE(log.Lines.size(), size_t(1));
        QVERIFY(log.Lines[0].text.startsWith("TDataModule1.UpdateFrequencyLog")
            && !log.Lines[0].text.startsWith("TDataModule1.UpdateFrequencyLog "));
        QCOMPARE(Stored(145500000)->ShortComment, QString("TWR"));
        QCOMPARE(Stored(145500000)->SquelchCount, 1);
    }

    void durationText_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "00:00:00.000";
        QTest::newRow("75 s") << 75 * Second << "00:01:15.000";
        QTest::newRow("ms") << (3723 * Second + 0.25 * Second) << "01:02:03.250";
        QTest::newRow("a day and an hour") << (1.0 + 3600 * Second) << "01:00:00.000";
    }
    void durationText()
    {
        QFETCH(double, days);
        QFETCH(QString, text);
        QCOMPARE(FormatDurationText(days), text);
    }
};

QTEST_GUILESS_MAIN(FrequencyLogTest)
#include "FrequencyLogTest.moc"
