// The data module: start-up steps and their reports, the backup, bad database files, options, placement
// clamping.

#include "TestDatabase.h"
#include "app/DataModuleUnit.h"

#include <QSize>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ExecuteSqlite(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int status = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const QString message = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(status == SQLITE_OK, qPrintable(message));
}

// Value of an option as a separate connection sees it in a file (empty when absent).
QString OptionInFile(const QString& path, const QString& key)
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT OptionValue FROM OptionsTable_ WHERE OptionName = ?"));
            query.addBindValue(key);
            if (query.exec() && query.next())
                value = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
    return value;
}
} // namespace

Q_DECLARE_METATYPE(FormLocation)

namespace QTest {
template <> inline char* toString(const FormLocation& l)
{
    return qstrdup(
        QStringLiteral("{%1, %2, %3, %4}").arg(l.Left).arg(l.Top).arg(l.Width).arg(l.Height).toUtf8());
}
} // namespace QTest

class DataModuleTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> Folder;
    QString Database;

    std::unique_ptr<TDataModule1> Open(QStringList* reports = nullptr, QStringList* errors = nullptr)
    {
        TDataModuleReporter reporter;
        if (reports) {
            reporter.Status = [reports](const QString& text) { reports->append(text); };
            reporter.Progress = [reports](int minimum, int maximum, int position) {
                reports->append(
                    QStringLiteral("progress %1..%2 at %3").arg(minimum).arg(maximum).arg(position));
            };
        }
        if (errors)
            reporter.Error = [errors](const QString& message) { errors->append(message); };
        return std::make_unique<TDataModule1>(std::move(reporter));
    }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        Database = PrepareProgramFolder(*Folder);
        QVERIFY2(!Database.isEmpty(), "no database template; build the varnock_database target");
    }

    void startUpReportsEveryStepInOrder()
    {
        QStringList reports;
        auto module = Open(&reports);
        const QStringList expected {
            "progress 0..23 at 0",
            "Initializing DataBase",
            "AOR8200Database Connected",
            "AOR8200MemoriesTable_ Opened",
            "FrequencyLookupTable_ Opened",
            "FrequencyLogTable_ Opened",
            "AOR8200ScanBanksTable_ Opened",
            "FrequencyDistributionSeriesTable_ Opened",
            "AOR8200SearchBanksTable_ Opened",
            "SearchPassFrequenciesTable_ Opened",
            "ScanGroupTable_ Opened",
            "SearchGroupTable_ Opened",
            "SpecialFrequenciesTable_ Opened",
            "ActivityChartSquelchSeriesTable_ Opened",
            "ActivityChartActivitySeriesTable_ Opened",
            "OptionsTable_ Opened",
            "AOR8200MemoriesQuery_ Opened",
            "FrequencyLookupQuery_ Opened",
            "FrequencyLogQuery_ Opened",
            "GeneralPurposeQuery_ Opened",
            "SearchPassFrequenciesQuery_ Opened",
            "SpecialFrequenciesQuery_ Opened",
        };
        QCOMPARE(reports, expected);
        QCOMPARE(DataModule1, module.get());

        // The log grid's titles, blanks included; the comments keep their field names.
        TDataModuleQuery* log = module->FrequencyLogQuery_;
        QStringList titles;
        for (int column = 0; column < log->columnCount(); ++column)
            titles << log->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(titles,
            (QStringList {"   Frequency   ", " LastActiveDateTime ", "Count", " Duration    ", "Mem",
                "ShortComment", "LongComment"}));

        // Opened exclusively: another connection cannot even read.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(Database).constData(), &other), SQLITE_OK);
        const int status
            = sqlite3_exec(other, "SELECT count(*) FROM OptionsTable_", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(status, SQLITE_BUSY);

        module.reset();
        QCOMPARE(DataModule1, nullptr);
    }

    void badDatabaseEndsStartUpAndLeavesFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected"); // %1 stands for the database path
        QTest::newRow("missing") << "delete"
                                 << "Database file %1 not found";
        QTest::newRow("not SQLite") << "text"
                                    << "Database file %1 is not an SQLite database";
        QTest::newRow("table missing") << "drop table"
                                       << "Database file %1 has no table SpecialFrequenciesTable_";
        QTest::newRow("column missing") << "drop column"
                                        << "Database file %1: table OptionsTable_ has no column OptionValue";
    }
    void badDatabaseEndsStartUpAndLeavesFiles()
    {
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        QFile backup(TDataModule1::BackupPath());
        QVERIFY(backup.open(QIODevice::WriteOnly));
        backup.write("earlier backup");
        backup.close();
        if (damage == "delete") {
            QVERIFY(QFile::remove(Database));
        } else if (damage == "text") {
            QFile file(Database);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
        } else if (damage == "drop table") {
            ExecuteSqlite(Database, "DROP TABLE SpecialFrequenciesTable_");
        } else {
            ExecuteSqlite(Database, "DROP TABLE OptionsTable_; CREATE TABLE OptionsTable_ (OptionName TEXT)");
        }
        const QByteArray before = FileBytes(Database);

        QString message;
        try {
            Open();
        } catch (const EDataModule& error) {
            message = QString::fromUtf8(error.what());
        }
        QCOMPARE(message, expected.arg(Database));
        QCOMPARE(FileBytes(Database), before);
        QCOMPARE(DataModule1, nullptr);
        if (damage == "delete" || damage == "text")
            QCOMPARE(FileBytes(TDataModule1::BackupPath()), QByteArray("earlier backup"));
    }

    // A run killed with its last rows still in the write-ahead log: the backup must hold them.
    void backupIsConsistentAfterKilledRun()
    {
        const pid_t child = fork();
        if (child == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(Database).constData(), &db);
            sqlite3_exec(db,
                "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                "INSERT INTO OptionsTable_ VALUES ('LastWords', 'in the log');",
                nullptr, nullptr, nullptr);
            raise(SIGKILL);
            _exit(1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(QFileInfo(Database + "-wal").size() > 0);

        Open().reset();
        QCOMPARE(OptionInFile(TDataModule1::BackupPath(), "LastWords"), QString("in the log"));

        // Starting twice in a row: the backup of the second start is the database as the first run left it.
        Open()->SetOptionString("Run", "first");
        Open().reset();
        QCOMPARE(OptionInFile(TDataModule1::BackupPath(), "Run"), QString("first"));
    }

    // A database that fails its check must not replace the one good copy; the user is told where both are.
    void damagedDatabaseKeepsTheBackup()
    {
        {
            auto module = Open();
            for (int i = 0; i < 400; ++i)
                module->SetOptionString(QStringLiteral("Filler%1").arg(i), QString(200, u'x'));
        }
        const QByteArray goodBackup = FileBytes(TDataModule1::BackupPath());
        QVERIFY(!goodBackup.isEmpty());
        {
            QFile file(Database);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 pageSize = 4096;
            QVERIFY(file.size() > 8 * pageSize);
            for (qint64 page = 3; page < file.size() / pageSize; page += 2) {
                file.seek(page * pageSize + 8);
                file.write(QByteArray(64, char(0x7f)));
            }
        }
        QStringList errors;
        try {
            Open(nullptr, &errors);
        } catch (const EDataModule&) {
            // Start-up may also stop at a table that no longer reads; what matters is the backup.
        }
        QCOMPARE(FileBytes(TDataModule1::BackupPath()), goodBackup);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(Database) && errors[0].contains(TDataModule1::BackupPath()),
            qPrintable(errors[0]));
    }

    void unwritableBackupIsIgnored()
    {
        QVERIFY(QDir().mkpath(TDataModule1::BackupPath())); // a folder where the file should go
        auto module = Open();
        QVERIFY(module->FrequencyLogQuery_ != nullptr);
        QVERIFY(QFileInfo(TDataModule1::BackupPath()).isDir());
    }

    void optionReadRules_data()
    {
        QTest::addColumn<QString>("stored"); // "<absent>" for no row
        QTest::addColumn<QString>("asText");
        QTest::addColumn<bool>("asBoolean");
        QTest::addColumn<QString>("asInteger"); // "error" for a conversion error

        QTest::newRow("absent") << "<absent>"
                                << "" << false << "0";
        QTest::newRow("T") << "T"
                           << "T" << true << "error";
        QTest::newRow("t") << "t"
                           << "t" << true << "error";
        QTest::newRow("Yes") << "Yes"
                             << "Yes" << true << "error";
        QTest::newRow("y") << "y"
                           << "y" << true << "error";
        QTest::newRow("F") << "F"
                           << "F" << false << "error";
        QTest::newRow("True after blank") << " True"
                                          << " True" << false << "error";
        QTest::newRow("digit") << "1"
                               << "1" << false << "1";
        QTest::newRow("empty") << ""
                               << "" << false << "error";
        QTest::newRow("negative") << "-120"
                                  << "-120" << false << "-120";
        QTest::newRow("blanks around") << " 42 "
                                       << " 42 " << false << "42";
        QTest::newRow("trailing junk") << "12x"
                                       << "12x" << false << "error";
        QTest::newRow("beyond 32 bits") << "4294967296"
                                        << "4294967296" << false << "error";
    }
    void optionReadRules()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asText);
        QFETCH(bool, asBoolean);
        QFETCH(QString, asInteger);
        auto module = Open();
        if (stored != "<absent>") {
            QSqlQuery insert(module->Database());
            insert.prepare("INSERT INTO OptionsTable_ VALUES ('Key', ?)");
            insert.addBindValue(stored);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }
        QCOMPARE(module->GetOptionString("Key"), asText);
        QCOMPARE(module->GetOptionBoolean("Key"), asBoolean);
        if (asInteger == "error") {
            QVERIFY_THROWS_EXCEPTION(EConvertError, module->GetOptionInteger("Key"));
            FormLocation location;
            module->SetOptionString("Form_Left", "0");
            module->SetOptionString("Form_Top", stored);
            if (stored != "<absent>")
                QVERIFY_THROWS_EXCEPTION(EConvertError, module->GetStoredFormLocation("Form", location));
        } else {
            QCOMPARE(module->GetOptionInteger("Key"), asInteger.toInt());
        }
    }

    void optionWriteRules()
    {
        auto module = Open();
        module->SetOptionBoolean("SquelchRecordOn", true);
        QCOMPARE(module->GetOptionString("SquelchRecordOn"), QString("T"));
        QVERIFY(module->GetOptionBoolean("SquelchRecordOn"));
        module->SetOptionBoolean("SquelchRecordOn", false);
        QCOMPARE(module->GetOptionString("SquelchRecordOn"), QString("F"));
        // Keys differ by case.
        module->SetOptionBoolean("squelchrecordon", true);
        QCOMPARE(module->GetOptionString("SquelchRecordOn"), QString("F"));
        QVERIFY(module->GetOptionBoolean("squelchrecordon"));
        module->SetOptionInteger("AnnouncementInterval", -23);
        QCOMPARE(module->GetOptionString("AnnouncementInterval"), QString("-23"));
        QCOMPARE(module->GetOptionInteger("AnnouncementInterval"), -23);
        // Long texts are cut to the column's 255 characters.
        module->SetOptionString("RecordedWaveFileDirectory", QString(300, u'd'));
        QCOMPARE(module->GetOptionString("RecordedWaveFileDirectory"), QString(255, u'd'));

        module->SetStoredFormLocation("EventLogForm", {10, 20, 410, 461});
        module->SetStoredFormLocation("EventLogForm", {11, 21, 411, 462});
        FormLocation location;
        module->GetStoredFormLocation("EventLogForm", location);
        QCOMPARE(location, (FormLocation {11, 21, 411, 462}));
        module->GetStoredFormLocation("NeverStoredForm", location);
        QCOMPARE(location, FormLocation {});

        // One row per key.
        QSqlQuery count(module->Database());
        QVERIFY(count.exec("SELECT count(*) FROM OptionsTable_ WHERE OptionName LIKE 'EventLogForm_%'"));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 4);
    }

    void placementClamping_data()
    {
        QTest::addColumn<FormLocation>("stored");
        QTest::addColumn<FormLocation>("placed");
        const FormLocation inside {100, 50, 400, 300};
        QTest::newRow("inside stays") << inside << inside;
        QTest::newRow("larger than screen")
            << FormLocation {200, 100, 3000, 2000} << FormLocation {0, 0, 1024, 768};
        QTest::newRow("beyond right edge")
            << FormLocation {900, 10, 400, 300} << FormLocation {624, 10, 400, 300};
        QTest::newRow("beyond bottom edge")
            << FormLocation {10, 700, 400, 300} << FormLocation {10, 468, 400, 300};
        QTest::newRow("negative corner")
            << FormLocation {-50, -20, 400, 300} << FormLocation {0, 0, 400, 300};
        QTest::newRow("wider only") << FormLocation {-10, 10, 1500, 300} << FormLocation {0, 10, 1024, 300};
    }
    void placementClamping()
    {
        QFETCH(FormLocation, stored);
        QFETCH(FormLocation, placed);
        QCOMPARE(ClampFormLocation(stored, QSize(1024, 768)), placed);
    }
};

QTEST_GUILESS_MAIN(DataModuleTest)
#include "DataModuleTest.moc"
