// Reading all 1000 memory channels from the simulated receiver paced at 19200 baud, through the plain driver
// and through the mirrored driver storing each channel in a database copy. Prints the total time against the
// wire time of the bytes exchanged (10 bits a byte, one direction at a time as the exchanges take turns).

#include "ReceiverSimulator.h"
#include "app/DataModuleUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/ProgramFilesUnit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>

namespace {

constexpr double BitsPerByte = 10;
constexpr double Baud = 19200;

struct Figures {
    int channels = 0;
    qint64 elapsedMs = 0;
    qint64 bytesOut = 0;
    qint64 bytesIn = 0;
    int failed = 0; // channels whose every attempt failed (a loaded machine delays the paced simulator)
};

// Every channel of every bank, in bank order, as the receiver's bank sizes say, with read(bank, channel).
Figures ReadAll(TAOR8200& driver, const ReceiverState& state, const std::function<void(char, int)>& read)
{
    std::atomic<qint64> bytesOut {0};
    std::atomic<qint64> bytesIn {0};
    driver.SetOnSerialWrite([&](TAOR8200*, QString& text) { bytesOut += text.size(); });
    driver.SetOnSerialRead([&](TAOR8200*, QString& text) { bytesIn += text.size(); });
    Figures figures;
    QElapsedTimer total;
    total.start();
    for (const char bank : std::string_view(ScanBankLetters)) {
        for (int channel = 0; channel < state.BankSize(bank); ++channel) {
            try {
                read(bank, channel);
            } catch (const EAOR8200&) {
                ++figures.failed;
            }
            ++figures.channels;
        }
    }
    figures.elapsedMs = total.elapsed();
    figures.bytesOut = bytesOut;
    figures.bytesIn = bytesIn;
    driver.SetOnSerialWrite({});
    driver.SetOnSerialRead({});
    return figures;
}

void Print(const char* title, const Figures& f)
{
    const double wireMs = double(f.bytesOut + f.bytesIn) * BitsPerByte / Baud * 1000;
    std::printf("%s\n", title);
    std::printf("  channels read          %d (%d failed)\n", f.channels, f.failed);
    std::printf("  total                  %.2f s (%.1f ms a channel)\n", f.elapsedMs / 1000.0,
        double(f.elapsedMs) / f.channels);
    std::printf("  bytes out / in         %lld / %lld\n", static_cast<long long>(f.bytesOut),
        static_cast<long long>(f.bytesIn));
    std::printf("  wire time              %.2f s (%.1f ms a channel)\n", wireMs / 1000, wireMs / f.channels);
    std::printf("  ratio total / wire     %.3f\n", f.elapsedMs / wireMs);
    std::printf("  beyond the wire        %.1f ms a channel\n", (f.elapsedMs - wireMs) / f.channels);
}

// Every one of the 1000 channels holds a memory, so that every reply is a full memory line.
ReceiverState FullReceiver()
{
    ReceiverState state = ReceiverState::Empty();
    for (int i = 0; i < 20; ++i)
        for (int channel = 0; channel < state.BankSize(ScanBankLetters[i]); ++channel) {
            SimMemory& memory = *state.Memory(ScanBankLetters[i], channel);
            memory.isEmpty = false;
            memory.frequency = 118000000 + (i * 100 + channel) * 25000;
            memory.step = 25000;
            memory.mode = SimMode::AM;
            memory.text
                = QByteArray("Channel ").append(QByteArray::number(i * 100 + channel)).leftJustified(12, ' ');
        }
    return state;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    SimulatorOptions options;
    options.pace = true;
    options.keepRecords = false;
    options.state = FullReceiver();
    ReceiverSimulator simulator(options);
    const ReceiverState state = simulator.State();
    SetSerialPortTable({simulator.DevicePath()});
    {
        TAOR8200 driver;
        driver.SetCommPortNumber(1);
        Print("Plain driver (TAOR8200::ReadMemoryRecord), simulator paced at 19200 baud:",
            ReadAll(driver, state, [&](char bank, int channel) {
                MemoryChannelRecord record;
                driver.ReadMemoryRecord(bank, channel, record);
            }));
    }

    QTemporaryDir folder;
    SetExecutablePathForTesting(folder.filePath("Varnock"));
    if (!QFile::copy(QStringLiteral(VARNOCK_BINARY_DIR "/bin/Varnock.ABS"), ProgramFile(".ABS"))) {
        std::fprintf(stderr, "no database at %s/bin/Varnock.ABS\n", VARNOCK_BINARY_DIR);
        return 1;
    }
    QFile::setPermissions(ProgramFile(".ABS"), QFile::ReadOwner | QFile::WriteOwner);
    TDataModule1 tables;
    {
        TDBAOR8200 driver(nullptr, &tables);
        driver.SetCommPortNumber(1);
        Print("Mirrored driver (TDBAOR8200::ReadMemoryRecord, copy off, every channel stored):",
            ReadAll(driver, state, [&](char bank, int channel) {
                MemoryChannelRecord record;
                driver.ReadMemoryRecord(bank, channel, record);
            }));
    }
    // What storing alone costs: one committed (synchronous) row at a time, as the mirrored reads store them.
    QElapsedTimer storing;
    storing.start();
    for (int i = 0; i < 1000; ++i)
        tables.UpdateAOR8200MemoriesTable_(ScanBankLetters[i / 100 * 2 % 20], i % 100, false, false, 1, 2,
            false, AOR8200RxModeAM, false, "x");
    std::printf("Storing 1000 memory rows alone: %.2f s (%.2f ms a row)\n", storing.elapsed() / 1000.0,
        storing.elapsed() / 1000.0);
    SetSerialPortTable({});
    return 0;
}
