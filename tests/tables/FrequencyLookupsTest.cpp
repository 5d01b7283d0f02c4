// The two lookups on the frequency lookup and special frequencies tables: which row answers, and that a miss
// leaves the caller's values alone.

#include "../app/TestDatabase.h"
#include "app/DataModuleUnit.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

class FrequencyLookupsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TDataModule1> Module;

    void Exec(const QString& sql)
    {
        QSqlQuery query(Module->Database());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(!PrepareProgramFolder(*Folder).isEmpty());
        Module = std::make_unique<TDataModule1>();
        Exec("DELETE FROM FrequencyLookupTable_");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (145500000, 2, ' TWR  ', '  Airport tower ')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (145500000, 5, 'TWR-N', 'Tower on NFM')");
        Exec("INSERT INTO FrequencyLookupTable_ VALUES (27555000, 0, 'CB', 'Citizens band')");
        Exec("INSERT INTO SpecialFrequenciesTable_ VALUES (145500000, 16711680, 1, 0, 1)");
        // The windows' views may be filtered or ordered; the lookups do not use them.
        Module->FrequencyLookupQuery_->SetSQL("Select * From FrequencyLookupTable_ where Frequency = 1");
        Module->FrequencyLookupQuery_->Open(Module->Database());
    }
    void cleanupTestCase()
    {
        Module.reset();
        Folder.reset();
    }

    void lookupFrequency_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("modeIn");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("modeOut");
        QTest::addColumn<QString>("shortComment");
        QTest::addColumn<QString>("longComment");
        QTest::newRow("any mode: the lowest, trimmed") << 145500000 << -1 << true << 2 << "TWR"
                                                       << "Airport tower";
        QTest::newRow("one mode") << 145500000 << 5 << true << 5 << "TWR-N"
                                  << "Tower on NFM";
        QTest::newRow("mode not held keeps the mode") << 145500000 << 3 << false << 3 << ""
                                                      << "";
        QTest::newRow("frequency not held") << 145512500 << -1 << false << -1 << ""
                                            << "";
        QTest::newRow("mode 0") << 27555000 << 0 << true << 0 << "CB"
                                << "Citizens band";
    }
    void lookupFrequency()
    {
        QFETCH(int, frequency);
        QFETCH(int, modeIn);
        QFETCH(bool, found);
        QFETCH(int, modeOut);
        QFETCH(QString, shortComment);
        QFETCH(QString, longComment);
        int mode = modeIn;
        QString shortText = "old", longText = "old";
        QCOMPARE(Module->LookupFrequency(frequency, mode, shortText, longText), found);
        QCOMPARE(mode, modeOut);
        QCOMPARE(shortText, shortComment);
        QCOMPARE(longText, longComment);
    }

    void specialFrequencyAttributes()
    {
        quint32 colour = 7;
        bool readOnly = false, hold = true, switchOn = false;
        QVERIFY(Module->GetSpecialFrequencyAttributes(145500000, colour, readOnly, hold, switchOn));
        QCOMPARE(colour, quint32(0xFF0000));
        QVERIFY(readOnly);
        QVERIFY(!hold);
        QVERIFY(switchOn);

        // Exact match only, and a miss leaves every value as it was.
        colour = 7;
        readOnly = false;
        hold = true;
        switchOn = false;
        QVERIFY(!Module->GetSpecialFrequencyAttributes(145500050, colour, readOnly, hold, switchOn));
        QCOMPARE(colour, quint32(7));
        QVERIFY(!readOnly);
        QVERIFY(hold);
        QVERIFY(!switchOn);
    }

    void failuresReachTheCaller()
    {
        Exec("ALTER TABLE SpecialFrequenciesTable_ RENAME TO MovedAway");
        quint32 colour = 0;
        bool a = false, b = false, c = false;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Module->GetSpecialFrequencyAttributes(1, colour, a, b, c));
        Exec("ALTER TABLE MovedAway RENAME TO SpecialFrequenciesTable_");
    }
};

QTEST_GUILESS_MAIN(FrequencyLookupsTest)
#include "FrequencyLookupsTest.moc"
