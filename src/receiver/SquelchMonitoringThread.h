#pragma once
// The driver's squelch monitor (internal to the receiver module).

#include "receiver/AOR8200Unit.h"
#include "support/ThreadUnit.h"

// Reads everything that arrives between exchanges, picks out the "LC" report lines and delivers each one on
// the main thread, in order. Every error ends only the current pass.
class TSquelchMonitoringThread : public TThread {
public:
    explicit TSquelchMonitoringThread(TAOR8200* driver);

    static constexpr int PassSleepMs = 100;
    static constexpr int ReadPerPass = 1024;
    static constexpr int BufferLimit = 2048;

protected:
    void Execute() override;

private:
    void RunPass();
    void UpdateReceivedStringForProcessing();
    void ProcessReceiveBuffer();
    void DeliverSquelchEvent();

    TAOR8200* driver;
    QString ReceiveBuffer;
    TSquelchReport Report;
};
