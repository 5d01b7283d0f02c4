// The receiver state survives a JSON round trip, and a broken state file is refused with a reason.

#include "ReceiverProtocol.h"
#include "ReceiverState.h"
#include "SquelchTraffic.h"

#include <QTemporaryDir>
#include <QTest>

class SimulatorStateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultStateRoundTrips();
    void editedStateRoundTrips();
    void refusesBrokenState_data();
    void refusesBrokenState();
    void parsesSquelchScripts();
    void refusesBrokenScripts_data();
    void refusesBrokenScripts();
};

void SimulatorStateTest::defaultStateRoundTrips()
{
    const ReceiverState state = ReceiverState::Default();
    QVERIFY(state.Memory('A', 0) && !state.Memory('A', 0)->isEmpty);
    QVERIFY(!state.SearchBank('A')->passFrequencies.isEmpty());
    QVERIFY(!state.scanGroups[state.scanGroupIndex].links.isEmpty());
    QTemporaryDir folder;
    const QString path = folder.filePath("state.json");
    state.SaveFile(path);
    QVERIFY(ReceiverState::LoadFile(path) == state);
}

// Edits made through the protocol, with the awkward cases: blanks at the end of texts, an unpadded search
// text, a resized pair, the last channel of a lower half, the attenuator digit, groups, firmware.
void SimulatorStateTest::editedStateRoundTrips()
{
    ReceiverState state = ReceiverState::Empty();
    ProtocolSettings settings;
    for (const QByteArray command : {"MWC30", "MXc69 RF0145500000 AU0 ST012500 MD1 AT1 TM  LEAD BLANK", "MP1",
             "TBc  X", "TBJ12345678", "SEt SL0000100000 SU2040000000 AU1 ST999999 MD8 AT7 TTshort", "GM9",
             "BM%% Jj", "XA255", "XD99", "GS0", "BS%% At", "SP60", "VA0088100000"})
        QVERIFY2(AnswerCommand(state, command, settings).reply != "?\r\n", command.constData());
    state.firmware = "1.2a";
    state.SearchBank('t')->passFrequencies = {100000, 2040000000};
    const ReceiverState loaded = ReceiverState::FromJson(state.ToJson());
    QCOMPARE(loaded.BankSize('c'), 70);
    QCOMPARE(loaded.Memory('c', 69)->text, QByteArray("  LEAD BLANK"));
    QVERIFY(loaded.Memory('c', 69)->pass);
    QCOMPARE(loaded.BankText('c'), QByteArray("  X     "));
    QCOMPARE(loaded.SearchBank('t')->text, QByteArray("short"));
    QCOMPARE(loaded.SearchBank('t')->attenuator, 7);
    QCOMPARE(loaded.scanGroups[9].links, QByteArray("Jj"));
    QCOMPARE(loaded.searchGroups[0].links, QByteArray("At"));
    // What the receiver is doing is not part of the saved state.
    ReceiverState persistent = state;
    persistent.activity = loaded.activity;
    persistent.target = loaded.target;
    persistent.targetSearchBank = loaded.targetSearchBank;
    persistent.currentBank = loaded.currentBank;
    persistent.currentChannel = loaded.currentChannel;
    QVERIFY(loaded == persistent);
}

void SimulatorStateTest::refusesBrokenState_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not JSON") << QByteArray("{\"scanBanks\": [") << "offset";
    QTest::newRow("not an object") << QByteArray("[1, 2]") << "not a JSON object";
    QTest::newRow("bank letter") << QByteArray(R"({"scanBanks": [{"bank": "K"}]})")
                                 << "bad bank letter \"K\"";
    QTest::newRow("search letter") << QByteArray(R"({"searchBanks": [{"bank": "u"}]})") << "bad bank letter";
    QTest::newRow("pair sizes") << QByteArray(
        R"({"scanBanks": [{"bank": "A", "size": 60}, {"bank": "a", "size": 60}]})")
                                << "add up to 100";
    QTest::newRow("channel beyond size")
        << QByteArray(R"({"scanBanks": [{"bank": "B", "size": 10, "memories": [{"channel": 10, "frequency": 1,
            "step": 1, "mode": "AM"}]}]})")
        << "lies beyond";
    QTest::newRow("mode") << QByteArray(R"({"scanBanks": [{"bank": "A", "memories": [{"channel": 0,
        "frequency": 1, "step": 1, "mode": "FM"}]}]})")
                          << "unknown mode \"FM\"";
    QTest::newRow("missing frequency") << QByteArray(
        R"({"scanBanks": [{"bank": "A", "memories": [{"channel": 0,
        "step": 1, "mode": "AM"}]}]})") << "\"frequency\" missing";
    QTest::newRow("text too long") << QByteArray(R"({"scanBanks": [{"bank": "A", "text": "NINE CHRS"}]})")
                                   << "longer than 8";
    QTest::newRow("group index") << QByteArray(R"({"scanGroups": [{"index": 10}]})") << "from 0 to 9";
    QTest::newRow("group link") << QByteArray(R"({"scanGroups": [{"index": 1, "links": "AK"}]})")
                                << "bad linked bank \"K\"";
    QTest::newRow("too many passes") << QByteArray(R"({"searchBanks": [{"bank": "A", "lower": 1, "upper": 2,
        "step": 1, "mode": "AM", "pass": [)"
        + QByteArray("1,").repeated(50) + "1]}]}")
                                     << "more than 50";
    QTest::newRow("firmware") << QByteArray(R"({"firmware": "12"})") << "four characters";
}

void SimulatorStateTest::refusesBrokenState()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    try {
        ReceiverState::FromJson(json);
        QFAIL("accepted");
    } catch (const SimulatorStateError& error) {
        QVERIFY2(QString(error.what()).contains(reason), error.what());
    }
}

void SimulatorStateTest::parsesSquelchScripts()
{
    const QList<ScriptStep> steps = ParseSquelchScript("# demo\n"
                                                       "open A 5 200\n"
                                                       "\n"
                                                       "wait 250\n"
                                                       "close\n"
                                                       "search t 145500000\n"
                                                       "raw LC12\\r\\nx\\x13\n"
                                                       "noise 40\n");
    QCOMPARE(steps.size(), 6);
    QCOMPARE(steps.at(0), (ScriptStep {ScriptStep::Open, 200, SquelchSource::MemoryChannel('A', 5), {}}));
    QCOMPARE(steps.at(1), (ScriptStep {ScriptStep::Wait, 250, {}, {}}));
    QCOMPARE(steps.at(2), (ScriptStep {ScriptStep::Close, 10, {}, {}}));
    QCOMPARE(steps.at(3), (ScriptStep {ScriptStep::Open, 150, SquelchSource::Search('t', 145500000), {}}));
    QCOMPARE(steps.at(4).bytes, QByteArray("LC12\r\nx\x13"));
    QCOMPARE(steps.at(5), (ScriptStep {ScriptStep::Noise, 40, {}, {}}));
}

void SimulatorStateTest::refusesBrokenScripts_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("unknown step") << QByteArray("wait 10\nsing A 5\n");
    QTest::newRow("scan bank K") << QByteArray("open K 5\n");
    QTest::newRow("search bank u") << QByteArray("search u 145500000\n");
    QTest::newRow("channel 100") << QByteArray("open A 100\n");
    QTest::newRow("wait without time") << QByteArray("wait\n");
}

void SimulatorStateTest::refusesBrokenScripts()
{
    QFETCH(QByteArray, script);
    QVERIFY_THROWS_EXCEPTION(SimulatorStateError, ParseSquelchScript(script));
}

QTEST_GUILESS_MAIN(SimulatorStateTest)
#include "SimulatorStateTest.moc"
