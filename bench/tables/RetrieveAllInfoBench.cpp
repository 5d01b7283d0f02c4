// RetrieveAllInfoFromRadio against the simulated receiver paced at 19200 baud with a full receiver: 1000
// memory channels, 40 search banks each with pass frequencies, ten scan and ten search groups. The search
// retrieval runs first, then the scan retrieval, each in the retrieve frame, as the main window runs them.
// Prints the total time against the wire time of the bytes exchanged, and what the rest is made of.
// Usage: RetrieveAllInfoBench [PASSES_PER_BANK]   (offscreen: QT_QPA_PLATFORM=offscreen)

#include "ReceiverSimulator.h"
#include "app/DataModuleUnit.h"
#include "app/SplashFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/ProgramFilesUnit.h"
#include "tables/ReceiverBracketUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"
#include "tables/SearchBankMemoriesFormUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

constexpr double BitsPerByte = 10;
constexpr double Baud = 19200;

ReceiverState FullReceiver(int passesPerBank)
{
    ReceiverState state = ReceiverState::Empty();
    for (int i = 0; i < 20; ++i) {
        const char bank = ScanBankLetters[i];
        state.BankText(bank) = QByteArray("Bank ").append(bank).leftJustified(8, ' ');
        for (int channel = 0; channel < state.BankSize(bank); ++channel) {
            SimMemory& memory = *state.Memory(bank, channel);
            memory.isEmpty = false;
            memory.frequency = 118000000 + (i * 100 + channel) * 25000;
            memory.step = 25000;
            memory.mode = SimMode::AM;
            memory.text
                = QByteArray("Channel ").append(QByteArray::number(i * 100 + channel)).leftJustified(12, ' ');
        }
    }
    for (int i = 0; i < 40; ++i) {
        SimSearchBank& search = *state.SearchBank(SearchBankLetters[i]);
        search.isEmpty = false;
        search.lower = 100000000 + i * 10000000;
        search.upper = search.lower + 5000000;
        search.step = 12500;
        search.mode = SimMode::NFM;
        search.text = QByteArray("Search ").append(QByteArray::number(i));
        for (int k = 0; k < passesPerBank; ++k)
            search.passFrequencies.append(search.lower + 12500 * (k + 1));
    }
    for (int g = 1; g < 10; ++g) {
        state.scanGroups[g] = SimGroup {"ABc", 10 * g, 5 * g, g, g};
        state.searchGroups[g] = SimGroup {"AKt", 10 * g, 5 * g, g, g};
    }
    return state;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv(
        "QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const int passesPerBank = argc > 1 ? std::atoi(argv[1]) : 10;

    QTemporaryDir folder;
    SetExecutablePathForTesting(folder.filePath("Varnock"));
    if (!QFile::copy(QStringLiteral(VARNOCK_BINARY_DIR "/bin/Varnock.ABS"), ProgramFile(".ABS"))) {
        std::fprintf(stderr, "no database at %s/bin/Varnock.ABS\n", VARNOCK_BINARY_DIR);
        return 1;
    }
    QFile::setPermissions(ProgramFile(".ABS"), QFile::ReadOwner | QFile::WriteOwner);
    TDataModule1 tables;

    SimulatorOptions options;
    options.pace = true;
    options.keepRecords = false;
    options.state = FullReceiver(passesPerBank);
    ReceiverSimulator simulator(options);
    SetSerialPortTable({simulator.DevicePath()});

    TSplashForm splash;
    SplashForm = &splash;
    {
        TDBAOR8200 driver(nullptr, &tables);
        driver.SetCommPortNumber(1);
        TScanBankMemoriesForm scan(&driver);
        TSearchBankMemoriesForm search(&driver);
        ScanBankMemoriesForm = &scan;
        SearchBankMemoriesForm = &search;

        std::atomic<qint64> bytesOut {0};
        std::atomic<qint64> bytesIn {0};
        std::atomic<qint64> exchanges {0};
        // Time from one command's write to the next one's, by the command's first two letters.
        struct Share {
            int count = 0;
            qint64 ns = 0;
            qint64 bytes = 0;
        };
        std::map<QString, Share> shares;
        std::mutex sharesMutex;
        QString lastCommand;
        QElapsedTimer clock;
        clock.start();
        qint64 lastWriteNs = 0;
        driver.SetOnSerialWrite([&](TAOR8200*, QString& text) {
            bytesOut += text.size();
            ++exchanges;
            std::lock_guard lock(sharesMutex);
            const qint64 now = clock.nsecsElapsed();
            if (!lastCommand.isEmpty())
                shares[lastCommand].ns += now - lastWriteNs;
            lastCommand = text.left(2);
            lastWriteNs = now;
            ++shares[lastCommand].count;
            shares[lastCommand].bytes += text.size();
        });
        driver.SetOnSerialRead([&](TAOR8200*, QString& text) {
            bytesIn += text.size();
            std::lock_guard lock(sharesMutex);
            shares[lastCommand].bytes += text.size();
        });

        QElapsedTimer total;
        total.start();
        qint64 searchMs = 0;
        const TLiveAudio noAudio;
        try {
            RunRetrieveFrame(&driver, nullptr, noAudio, [&] {
                RunRetrieveFrame(
                    &driver, nullptr, noAudio, [&] { search.RetrieveSearchBanksFromRadio(&search); });
                searchMs = total.elapsed();
                RunRetrieveFrame(&driver, nullptr, noAudio, [&] { scan.RetrieveScanBanksFromRadio(&scan); });
            });
        } catch (const std::exception& e) {
            std::fprintf(stderr, "retrieval failed: %s\n", e.what());
        }
        const qint64 elapsedMs = total.elapsed();
        driver.SetOnSerialWrite({});
        driver.SetOnSerialRead({});

        const double wireMs = double(bytesOut + bytesIn) * BitsPerByte / Baud * 1000;
        std::printf("RetrieveAllInfoFromRadio, simulator paced at 19200 baud, 1000 channels, 40 search banks "
                    "with %d pass frequencies each:\n",
            passesPerBank);
        std::printf("  total                  %.2f s (search %.2f s, scan %.2f s)\n", elapsedMs / 1000.0,
            searchMs / 1000.0, (elapsedMs - searchMs) / 1000.0);
        std::printf("  exchanges              %lld\n", static_cast<long long>(exchanges.load()));
        std::printf("  bytes out / in         %lld / %lld\n", static_cast<long long>(bytesOut.load()),
            static_cast<long long>(bytesIn.load()));
        std::printf("  wire time              %.2f s\n", wireMs / 1000);
        std::printf("  ratio total / wire     %.3f\n", elapsedMs / wireMs);
        std::printf("  beyond the wire        %.2f s (%.1f ms an exchange)\n", (elapsedMs - wireMs) / 1000,
            (elapsedMs - wireMs) / double(exchanges));
        std::printf("  by command (time until the next command, wire time of its bytes):\n");
        for (const auto& [command, share] : shares) {
            std::printf("    %-4s %5d x  %8.2f s  wire %7.2f s  %6.1f ms each\n", qPrintable(command),
                share.count, share.ns / 1e9, double(share.bytes) * BitsPerByte / Baud,
                share.ns / 1e6 / share.count);
        }
        ScanBankMemoriesForm = nullptr;
        SearchBankMemoriesForm = nullptr;
    }
    SplashForm = nullptr;

    // What storing alone costs: one committed row at a time, as the mirrored reads store them.
    QElapsedTimer storing;
    storing.start();
    for (int i = 0; i < 1000; ++i)
        tables.UpdateAOR8200MemoriesTable_(ScanBankLetters[i / 100 * 2 % 20], i % 100, false, false, 1, 2,
            false, AOR8200RxModeAM, false, "x");
    std::printf("  storing 1000 memory rows alone: %.2f s (%.2f ms a row)\n", storing.elapsed() / 1000.0,
        storing.elapsed() / 1000.0);
    SetSerialPortTable({});
    return 0;
}
