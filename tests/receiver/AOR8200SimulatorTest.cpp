// The driver against the simulated receiver, over a real pseudo-terminal: the same path as the hardware.

#include "SimulatedReceiver.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <thread>

namespace {

// The driver on the simulator with its default receiver state.
struct SimRig : SimulatedReceiver<> {
    explicit SimRig(const SimulatorOptions& options = {})
        : SimulatedReceiver(options)
    {
    }
};

using Setter = std::function<void(TAOR8200&, const QString&)>;
using Getter = std::function<QString(TAOR8200&)>;
struct SettingCase {
    Setter set;
    Getter get;
};

template <class Set, class Get> SettingCase ByteSetting(Set set, Get get)
{
    return {[set](TAOR8200& d, const QString& v) { (d.*set)(std::uint8_t(v.toInt())); },
        [get](TAOR8200& d) { return QString::number((d.*get)()); }};
}

const std::map<QString, SettingCase>& SettingCases()
{
    static const std::map<QString, SettingCase> cases {
        {"LC", ByteSetting(&TAOR8200::SetSquelchReporting, &TAOR8200::GetSquelchReporting)},
        {"GM", ByteSetting(&TAOR8200::SetScanGroupIndex, &TAOR8200::GetScanGroupIndex)},
        {"GS", ByteSetting(&TAOR8200::SetSearchGroupIndex, &TAOR8200::GetSearchGroupIndex)},
        {"SA", ByteSetting(&TAOR8200::SetAudioSearchSetting, &TAOR8200::GetAudioSearchSetting)},
        {"SB", ByteSetting(&TAOR8200::SetLevelSearchSetting, &TAOR8200::GetLevelSearchSetting)},
        {"SP", ByteSetting(&TAOR8200::SetSearchPauseSecs, &TAOR8200::GetSearchPauseSecs)},
        {"SD", ByteSetting(&TAOR8200::SetSearchDelayDeciSecs, &TAOR8200::GetSearchDelayDeciSecs)},
        {"XA", ByteSetting(&TAOR8200::SetAudioScanSetting, &TAOR8200::GetAudioScanSetting)},
        {"XB", ByteSetting(&TAOR8200::SetLevelScanSetting, &TAOR8200::GetLevelScanSetting)},
        {"XP", ByteSetting(&TAOR8200::SetScanPauseSecs, &TAOR8200::GetScanPauseSecs)},
        {"XD", ByteSetting(&TAOR8200::SetScanDelayDeciSecs, &TAOR8200::GetScanDelayDeciSecs)},
        {"TB",
            {[](TAOR8200& d, const QString& v) { d.SetScanBankText('c', v); },
                [](TAOR8200& d) { return d.GetScanBankText('c'); }}},
        {"MW",
            {[](TAOR8200& d, const QString& v) { d.SetScanBankSize('D', v.toInt()); },
                [](TAOR8200& d) { return QString::number(d.GetScanBankSize('d')); }}},
        {"BM",
            {[](TAOR8200& d, const QString& v) { d.SetScanBankLinkGroup(BankLetterSet::FromLetters(v)); },
                [](TAOR8200& d) { return d.GetScanBankLinkGroup().MembersIn(ScanBankLetters); }}},
        {"BS",
            {[](TAOR8200& d, const QString& v) { d.SetSearchBankLinkGroup(BankLetterSet::FromLetters(v)); },
                [](TAOR8200& d) { return d.GetSearchBankLinkGroup().MembersIn(SearchBankLetters); }}},
    };
    return cases;
}

} // namespace

class AOR8200SimulatorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settingsRoundTrip_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("reports on") << "LC"
                                    << "1"
                                    << "1";
        QTest::newRow("reports off") << "LC"
                                     << "0"
                                     << "0";
        QTest::newRow("scan group") << "GM"
                                    << "7"
                                    << "7";
        QTest::newRow("search group") << "GS"
                                      << "0"
                                      << "0";
        QTest::newRow("search audio") << "SA"
                                      << "7"
                                      << "7";
        QTest::newRow("search level") << "SB"
                                      << "255"
                                      << "255";
        QTest::newRow("search pause") << "SP"
                                      << "60"
                                      << "60";
        QTest::newRow("search delay") << "SD"
                                      << "15"
                                      << "15";
        QTest::newRow("scan audio") << "XA"
                                    << "128"
                                    << "128";
        QTest::newRow("scan level") << "XB"
                                    << "0"
                                    << "0";
        QTest::newRow("scan pause") << "XP"
                                    << "5"
                                    << "5";
        QTest::newRow("scan delay") << "XD"
                                    << "3"
                                    << "3";
        QTest::newRow("bank text cut to 8") << "TB"
                                            << "Harbour pilots"
                                            << "Harbour ";
        QTest::newRow("bank size, partner gets the rest") << "MW"
                                                          << "30"
                                                          << "70";
        QTest::newRow("scan link group") << "BM"
                                         << "JAbj"
                                         << "AJbj";
        QTest::newRow("scan link group empty") << "BM"
                                               << ""
                                               << "";
        QTest::newRow("search link group") << "BS"
                                           << "tATa"
                                           << "ATat";
    }
    void settingsRoundTrip()
    {
        QFETCH(QString, setting);
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        SimulatorOptions options;
        options.resortMs = 0;
        SimRig rig(options);
        const SettingCase& c = SettingCases().at(setting);
        c.set(*rig.driver, value);
        QCOMPARE(c.get(*rig.driver), readBack);
    }

    void firmwareAndActions()
    {
        SimRig rig;
        QCOMPARE(rig.driver->GetFirmwareVersion(), rig.simulator.State().firmware.toInt());
        rig.driver->SetVFOFrequency(145500049);
        QCOMPARE(rig.simulator.State().vfo.frequency, 145500000);
        rig.driver->StartMemoryScan('b');
        rig.driver->StartSearch('\0');
        rig.driver->SendCursorKey(30);
        rig.driver->PowerOff();
        QCOMPARE(rig.simulator.ReceivedCommands(),
            QByteArrayList({"VR", "VA0145500000", "MSb", "SS", "\x1e", "QP"}));
    }

    void faultsAreRetriedAway_data()
    {
        QTest::addColumn<double>("drop");
        QTest::addColumn<double>("garble");
        QTest::addColumn<double>("split");
        QTest::newRow("dropped replies") << 0.3 << 0.0 << 0.0;
        QTest::newRow("garbled replies") << 0.0 << 0.3 << 0.0;
        QTest::newRow("split writes") << 0.0 << 0.0 << 1.0;
    }
    void faultsAreRetriedAway()
    {
        QFETCH(double, drop);
        QFETCH(double, garble);
        QFETCH(double, split);
        SimulatorOptions options;
        options.seed = 7;
        options.faults.dropReplyRate = drop;
        options.faults.garbleRate = garble;
        options.faults.splitRate = split;
        SimRig rig(options);
        const ReceiverState state = rig.simulator.State();
        for (int round = 0; round < 4; ++round) {
            QCOMPARE(rig.driver->GetFirmwareVersion(), state.firmware.toInt());
            QCOMPARE(rig.driver->GetScanBankSize('A'), state.BankSize('A'));
            rig.driver->SetScanGroupIndex(std::uint8_t(round));
            QCOMPARE(rig.driver->GetScanGroupIndex(), round);
        }
    }

    void silentReceiverFailsEveryAttempt()
    {
        SimulatorOptions options;
        options.faults.silent = true;
        SimRig rig(options);
        QCOMPARE(ErrorOf([&] { rig.driver->SendCommandCheckOK("LC1", 100); }),
            QStringLiteral("Cmd LC1  Returned ==><=="));
        QCOMPARE(rig.simulator.ReceivedCommands(), QByteArrayList(5, "LC1"));
    }

    void receiverVanishingMidExchange()
    {
        SimRig rig;
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            rig.simulator.Stop();
        });
        QElapsedTimer timer;
        timer.start();
        // Asks for more than the receiver sends, so the exchange is still reading when the device goes.
        const QString reply = rig.driver->SendCommandGetResponse("LC", 500, 1000);
        killer.join();
        QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(reply.size() < 500);
        QVERIFY(!ErrorOf([&] { rig.driver->GetSquelchReporting(); }).isEmpty());
        QVERIFY(rig.driver->AccessEvent.WaitFor(500));
        rig.driver->AccessEvent.SetEvent();
    }

    void reportsFromTheReceiverReachTheHandler()
    {
        SimulatorOptions options;
        options.faults.noiseBetweenReports = true;
        SimRig rig(options);
        QList<SquelchReport> delivered;
        rig.driver->SetOnAOR8200Squelch([&](TAOR8200*, bool open, std::uint8_t level, std::int32_t frequency,
                                            bool search, char bank, std::int32_t channel) {
            delivered.append({open, level, search, bank, channel, frequency});
        });
        rig.driver->SetSquelchReporting(1);
        for (int i = 0; i < 5; ++i) {
            rig.simulator.OpenSquelch(SquelchSource::MemoryChannel('A', i), 100 + i);
            rig.simulator.CloseSquelch(5);
        }
        rig.simulator.OpenSquelch(SquelchSource::Search('b', 145500000), 300);
        QVERIFY(rig.simulator.WaitUntilIdle());
        QList<SquelchReport> expected = rig.simulator.SentReports();
        for (SquelchReport& r : expected)
            r.level &= 0xFF;
        QCOMPARE(expected.size(), 11);
        QTRY_COMPARE(delivered, expected);
    }
};

QTEST_GUILESS_MAIN(AOR8200SimulatorTest)
#include "AOR8200SimulatorTest.moc"
