// The editable views of the lookup and special frequency tables (filter bound literally, order, refused
// rows kept) and the CSV exchange of both tables and the frequency log.

#include "../app/TestDatabase.h"
#include "app/DataModuleUnit.h"
#include "support/DateTimeUnit.h"
#include "tables/CsvExchangeUnit.h"
#include "tables/LookupTableModelsUnit.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <memory>

namespace {

QStringList Column(const QAbstractItemModel& model, int column)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.index(row, column).data(Qt::EditRole).toString();
    return values;
}

} // namespace

class LookupTablesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TDataModule1> Module;

    void Exec(const QString& sql)
    {
        QSqlQuery query(Module->Database());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text() + " in " + sql));
    }
    QStringList Rows(const QString& sql)
    {
        QSqlQuery query(Module->Database());
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
    void FillLookup()
    {
        Exec("DELETE FROM FrequencyLookupTable_");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (118700000, 2, 'TWR', 'Airport Tower')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (118100000, 2, 'TWR2', 'TOWER north')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (121500000, 2, 'GUARD', 'Emergency \"guard\" 100% "
             "C:\\radio')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (145500000, 1, 'CALL', 'Calling_channel towel')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (27555000, 3, 'CB', 'Citizens band')");
    }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(!PrepareProgramFolder(*Folder).isEmpty());
        Module = std::make_unique<TDataModule1>();
        FillLookup();
        Exec("DELETE FROM SpecialFrequenciesTable_");
        Exec("DELETE FROM FrequencyLogTable_");
    }
    void cleanup()
    {
        Module.reset();
        Folder.reset();
    }

    // ---- the lookup view's filter: case-insensitive, literal, ordered by frequency

    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("frequencies");
        QTest::newRow("empty: every row by frequency")
            << "" << QStringList {"27555000", "118100000", "118700000", "121500000", "145500000"};
        QTest::newRow("tower matches Tower and TOWER") << "tower" << QStringList {"118100000", "118700000"};
        QTest::newRow("part of a word") << "TOWE" << QStringList {"118100000", "118700000", "145500000"};
        QTest::newRow("a double quote") << "\"guard\"" << QStringList {"121500000"};
        QTest::newRow("a lone double quote matches nothing else") << "band\"" << QStringList {};
        QTest::newRow("a single quote") << "o'clock" << QStringList {};
        QTest::newRow("percent is no wildcard") << "100%" << QStringList {"121500000"};
        QTest::newRow("percent alone") << "%" << QStringList {"121500000"};
        QTest::newRow("underscore is no wildcard") << "g_c" << QStringList {"145500000"};
        QTest::newRow("backslash") << "c:\\radio" << QStringList {"121500000"};
        QTest::newRow("SQL text stays text") << "') OR 1=1 --" << QStringList {};
    }
    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, frequencies);
        TFrequencyLookupTableModel& model = *FrequencyLookupTableModel(*Module);
        model.SetFilterText(filter);
        QCOMPARE(Column(model, 0), frequencies);
        QCOMPARE(model.FilterText(), filter);
    }

    void orderByColumnThenFilterReturnsToFrequency()
    {
        TFrequencyLookupTableModel& model = *FrequencyLookupTableModel(*Module);
        model.SetFilterText("tower");
        QVERIFY(model.OrderBy("ShortComment"));
        QCOMPARE(Column(model, 2), (QStringList {"TWR", "TWR2"}));
        QCOMPARE(Column(model, 0), (QStringList {"118700000", "118100000"}));
        // Only the table's own columns reach the SQL text.
        QVERIFY(!model.OrderBy("Frequency; DROP TABLE FrequencyLookupTable_"));
        QCOMPARE(model.OrderField(), QString("ShortComment"));
        model.SetFilterText("t");
        QCOMPARE(model.OrderField(), QString("Frequency"));
    }

    // ---- editing through the views

    void duplicateIsRefusedAndTheRowKeptForCorrection()
    {
        TFrequencyLookupTableModel& model = *FrequencyLookupTableModel(*Module);
        model.SetFilterText("");
        QSignalSpy refused(&model, &TLookupTableModel::SaveRefused);
        // 118.1 MHz AM already exists: moving 118.7 MHz onto it is refused.
        const QModelIndex frequency = model.index(2, 0);
        QCOMPARE(frequency.data(Qt::EditRole).toInt(), 118700000);
        QVERIFY(model.setData(frequency, 118100000));
        QVERIFY(!model.submit());
        QCOMPARE(refused.count(), 1);
        QVERIFY2(refused.at(0).at(0).toString().contains("118.100000 MHz AM is already in the lookup table"),
            qPrintable(refused.at(0).at(0).toString()));
        QCOMPARE(model.index(2, 0).data(Qt::EditRole).toInt(), 118100000);
        QCOMPARE(model.PendingRow(), 2);
        // The grid tries again each time the user moves on; the refusal is reported once per change.
        QVERIFY(!model.submit());
        QCOMPARE(refused.count(), 1);

        QVERIFY(model.setData(model.index(2, 1), 3)); // another mode: now the pair is new
        QVERIFY(model.submit());
        QCOMPARE(Rows("SELECT Frequency, RxMode FROM FrequencyLookupTable_ WHERE ShortComment = 'TWR'"),
            QStringList {"118100000|3"});
    }

    void newRowWithoutFrequencyIsRefused()
    {
        TSpecialFrequenciesTableModel& model = *SpecialFrequenciesTableModel(*Module);
        model.Reopen();
        QSignalSpy refused(&model, &TLookupTableModel::SaveRefused);
        QVERIFY(model.insertRow(0));
        QVERIFY(!model.submit());
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), QString("Frequency needs a value."));
        QVERIFY(model.setData(model.index(0, 0), 145500000));
        QVERIFY(model.submit());
        // The new row starts gray with every switch off.
        QCOMPARE(Rows("SELECT * FROM SpecialFrequenciesTable_"), QStringList {"145500000|8421504|0|0|0"});
    }

    void switchesAreCheckBoxes()
    {
        Exec("INSERT INTO SpecialFrequenciesTable_ VALUES (145500000, 255, 1, 0, 1)");
        TSpecialFrequenciesTableModel& model = *SpecialFrequenciesTableModel(*Module);
        model.Reopen();
        const QModelIndex hold = model.index(0, model.FieldIndex("HoldOnSquelch"));
        QCOMPARE(model.index(0, 2).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(hold.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(model.flags(hold) & Qt::ItemIsUserCheckable);
        QVERIFY(model.setData(hold, Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model.submit());
        QCOMPARE(Rows("SELECT HoldOnSquelch FROM SpecialFrequenciesTable_"), QStringList {"1"});
    }

    void writeSpecialFrequencyInsertsOrUpdates()
    {
        WriteSpecialFrequency(*Module, 118100000, 0x0000FF, false, true, false);
        WriteSpecialFrequency(*Module, 118100000, 0x00FF00, true, false, true);
        QCOMPARE(Rows("SELECT * FROM SpecialFrequenciesTable_"), QStringList {"118100000|65280|1|0|1"});
    }

    // ---- CSV text

    void parseCsv_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("records"); // fields joined by "|", prefixed by the line
        QTest::newRow("CRLF, quoted comma and doubled quote") << "a,\"b,c\",\"say \"\"hi\"\"\"\r\nd,,e\r\n"
                                                              << QStringList {"1:a|b,c|say \"hi\"", "2:d||e"};
        QTest::newRow("line break inside quotes counts lines")
            << "\"one\ntwo\",x\nnext,y" << QStringList {"1:one\ntwo|x", "3:next|y"};
        QTest::newRow("LF, CR, empty lines, byte order mark")
            << QString(QChar(0xFEFF)) + "a\n\nb\rc,\"\"" << QStringList {"1:a", "3:b", "4:c|"};
        QTest::newRow("trailing comma gives an empty field") << "a," << QStringList {"1:a|"};
    }
    void parseCsv()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, records);
        QStringList parsed;
        for (const TCsvRecord& record : ParseCsv(text))
            parsed << QString::number(record.Line) + ':' + record.Fields.join(u'|');
        QCOMPARE(parsed, records);
    }

    void parseCsvRefusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::newRow("quote inside a plain field") << "a,b\nc,d\"e\n" << 2 << 2;
        QTest::newRow("quoted field never closed: its first line") << "a\nb,\"c\nd\ne" << 2 << 2;
        QTest::newRow("text after the closing quote") << "\"a\"b,c" << 1 << 1;
    }
    void parseCsvRefusals()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, column);
        try {
            ParseCsv(text);
            QFAIL("not refused");
        } catch (const ECsvFormatError& error) {
            QCOMPARE(error.Line(), line);
            QCOMPARE(error.Column(), column);
        }
    }

    void quotingRoundTrips()
    {
        const QStringList fields {"plain", "a,b", "say \"x\"", "two\r\nlines", " padded ", ""};
        const std::vector<TCsvRecord> records = ParseCsv(CsvRecordText(fields));
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].Fields, fields);
        QCOMPARE(CsvRecordText({"a", "b"}), QString("a,b\r\n"));
    }

    // ---- the tables as CSV

    void lookupTableRoundTrip()
    {
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (446006250, 8, 'PMR, ch1', ' Multi\nline \"quoted\" é "
             "')");
        const QByteArray exported = FrequencyLookupCsv(*Module);
        QVERIFY(exported.startsWith(
            "Frequency,RxMode,ShortComment,LongComment\r\n27555000,USB,CB,Citizens band\r\n"));
        QVERIFY(exported.contains("446006250,NAM,\"PMR, ch1\",\" Multi\nline \"\"quoted\"\" é \"\r\n"));
        const QStringList before = Rows("SELECT * FROM FrequencyLookupTable_ ORDER BY Frequency, RxMode");

        Exec("DELETE FROM FrequencyLookupTable_");
        TCsvImportResult result = ImportFrequencyLookupCsv(*Module, exported);
        QCOMPARE(result.Added, 6);
        QCOMPARE(result.Refused, 0);
        QCOMPARE(Rows("SELECT * FROM FrequencyLookupTable_ ORDER BY Frequency, RxMode"), before);

        // Again, with one comment changed and the columns in another order and case.
        QByteArray edited = "rxmode,FREQUENCY,LongComment,ShortComment\n"
                            "am,118100000,TOWER north,TWR2\n"
                            "AM,118700000,Airport Tower (new),TWR\n";
        result = ImportFrequencyLookupCsv(*Module, edited);
        QCOMPARE(result.Unchanged, 1);
        QCOMPARE(result.Changed, 1);
        QCOMPARE(CsvImportSummary(result), QString("0 rows added, 1 changed, 1 unchanged, 0 refused"));
        QCOMPARE(Rows("SELECT LongComment FROM FrequencyLookupTable_ WHERE Frequency = 118700000"),
            QStringList {"Airport Tower (new)"});
    }

    void specialFrequenciesRoundTrip()
    {
        Exec("INSERT INTO SpecialFrequenciesTable_ VALUES (118100000, 255, 1, 0, 1)"); // red
        Exec("INSERT INTO SpecialFrequenciesTable_ VALUES (121500000, 16744448, 0, 1, 0)"); // 0x00FF8000
        const QByteArray exported = SpecialFrequenciesCsv(*Module);
        QCOMPARE(exported,
            QByteArray("Frequency,DisplayColour,MakeAudioFilesReadOnly,HoldOnSquelch,SwitchAudioOn\r\n"
                       "118100000,#FF0000,true,false,true\r\n121500000,#0080FF,false,true,false\r\n"));
        Exec("DELETE FROM SpecialFrequenciesTable_");
        const TCsvImportResult result = ImportSpecialFrequenciesCsv(*Module, exported);
        QCOMPARE(result.Added, 2);
        QCOMPARE(Rows("SELECT * FROM SpecialFrequenciesTable_ ORDER BY Frequency"),
            (QStringList {"118100000|255|1|0|1", "121500000|16744448|0|1|0"}));
    }

    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("message");
        const QByteArray header = "Frequency,RxMode,ShortComment,LongComment\n";
        QTest::newRow("unknown mode") << header + "1000000,AM,a,b\n2000000,XYZ,c,d\n"
                                      << "line 3, column 2: RxMode: 'XYZ' is not a receive mode";
        QTest::newRow("frequency not in hertz")
            << header + "118.1 MHz,AM,a,b\n"
            << "line 2, column 1: Frequency: '118.1 MHz' is not a frequency";
        QTest::newRow("missing field") << header + "1000000,AM,a\n"
                                       << "line 2, column 4: 3 fields where the header has 4";
        QTest::newRow("unknown column") << QByteArray("Frequency,Mode,ShortComment,LongComment\n")
                                        << "line 1, column 2: unknown column 'Mode'";
        QTest::newRow("missing column") << QByteArray("Frequency,RxMode,ShortComment\n")
                                        << "line 1: the header has no column LongComment";
        QTest::newRow("not UTF-8") << header + "1000000,AM,a,b\n2000000,AM,\xe9t\xe9,b\n"
                                   << "line 3: the text is not UTF-8";
        QTest::newRow("empty file") << QByteArray() << "line 1: the file is empty";
    }
    void refusedFileChangesNothing()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        const QStringList before = Rows("SELECT * FROM FrequencyLookupTable_ ORDER BY Frequency");
        try {
            ImportFrequencyLookupCsv(*Module, contents);
            QFAIL("not refused");
        } catch (const ECsvFormatError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).startsWith(message), error.what());
        }
        QCOMPARE(Rows("SELECT * FROM FrequencyLookupTable_ ORDER BY Frequency"), before);
    }

    void rowsThatCannotBeStoredAreRefusedOneByOne()
    {
        const QByteArray contents = "Frequency,RxMode,ShortComment,LongComment\n"
                                    "1000000,AM,fine,x\n"
                                    "2000000,NFM,thirteen char,x\n"
                                    "1000000,am,again,x\n";
        const TCsvImportResult result = ImportFrequencyLookupCsv(*Module, contents);
        QCOMPARE(result.Added, 1);
        QCOMPARE(result.Refused, 2);
        QCOMPARE(result.Refusals,
            (QStringList {"line 3: ShortComment is longer than 12 characters",
                "line 4: the same frequency and mode as line 2"}));
        QCOMPARE(Rows("SELECT ShortComment FROM FrequencyLookupTable_ WHERE Frequency < 3000000"),
            QStringList {"fine"});
    }

    void frequencyLogExport()
    {
        const TDateTime when = DateTimeFromQDateTime(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        QSqlQuery query(Module->Database());
        QVERIFY(
            query.prepare("INSERT INTO FrequencyLogTable_ VALUES (?, ?, 3, ?, 'C01', 'TWR', 'Tower, main')"));
        query.addBindValue(118100000);
        query.addBindValue(when);
        query.addBindValue(90.5 / 86400.0);
        QVERIFY(query.exec());
        QCOMPARE(FrequencyLogCsv(*Module),
            QByteArray(
                "Frequency,LastSquelchDateTime,SquelchCount,SquelchDurationSeconds,MemoryId,ShortComment,"
                "LongComment\r\n118100000,2024-05-06 07:08:09,3,90.500,C01,TWR,\"Tower, main\"\r\n"));
    }

    void filesAreWrittenWhole()
    {
        const QString path = Folder->filePath("out.csv");
        WriteCsvFile(path, "a,b\r\n");
        QCOMPARE(ReadCsvFile(path), QByteArray("a,b\r\n"));
        QVERIFY_THROWS_EXCEPTION(ECsvFileError, WriteCsvFile(Folder->filePath("no/such/folder.csv"), "x"));
        QVERIFY_THROWS_EXCEPTION(ECsvFileError, ReadCsvFile(Folder->filePath("missing.csv")));
    }
};

QTEST_GUILESS_MAIN(LookupTablesTest)
#include "LookupTablesTest.moc"
