#pragma once
// For the memory, discovery and mirroring tests: a simulated receiver on a pseudo-terminal as port 1 of the
// port table, and the driver on it.

#include "ErrorOf.h"
#include "ReceiverSimulator.h"
#include "receiver/AOR8200Unit.h"

#include <QByteArrayList>

#include <functional>
#include <memory>

inline SimulatorOptions QuickOptions(const ReceiverState& state = ReceiverState::Empty())
{
    SimulatorOptions options;
    options.resortMs = 0;
    options.state = state;
    return options;
}

// The driver (TAOR8200 or a subclass) on the simulator; the driver goes first, so its "EX" still has a line.
template <class Driver = TAOR8200> struct SimulatedReceiver {
    template <class... Arguments>
    explicit SimulatedReceiver(const SimulatorOptions& options, Arguments&&... arguments)
        : simulator(options)
    {
        SetSerialPortTable({simulator.DevicePath()});
        driver = std::make_unique<Driver>(std::forward<Arguments>(arguments)...);
        driver->SetCommPortNumber(1);
    }
    ~SimulatedReceiver()
    {
        driver.reset();
        SetSerialPortTable({});
    }
    // The command lines received since the last call.
    QByteArrayList TakeCommands()
    {
        const QByteArrayList commands = simulator.ReceivedCommands();
        simulator.ClearRecords();
        return commands;
    }

    ReceiverSimulator simulator;
    std::unique_ptr<Driver> driver;
};

inline SimMemory HeldMemory(
    qint32 frequency, const QByteArray& text, SimMode mode = SimMode::AM, qint32 step = 25000)
{
    SimMemory memory;
    memory.isEmpty = false;
    memory.frequency = frequency;
    memory.step = step;
    memory.mode = mode;
    memory.text = text.leftJustified(12, ' ', true);
    return memory;
}
