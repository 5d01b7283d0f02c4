#pragma once
// The receiver's command language: one command line in, the receiver's answer out, the state changed as the
// receiver would change it. No input or output here; the simulator feeds it lines from the terminal.

#include "ReceiverState.h"

#include <QByteArray>

struct ProtocolSettings {
    int resortMs = 200;
    bool acknowledgePassDelete = true;
};

struct ProtocolAnswer {
    QByteArray reply; // empty: nothing is sent
    bool isWrite = false; // the command stored something
    int deafMs = 0; // after the reply the receiver is busy and ignores the line this long
};

// Answers one command line (without its CR LF). Invalid or malformed commands get "?" CR LF; a receiver
// that is switched off answers nothing.
ProtocolAnswer AnswerCommand(
    ReceiverState& state, const QByteArray& command, const ProtocolSettings& settings);

// The lines the receiver reports, also used to build expected replies in tests.
QByteArray MemoryLine(char bank, int channel, const SimMemory& memory);
QByteArray SearchBankLine(char bank, const SimSearchBank& bank_);
QByteArray ScanLinkPattern(const QByteArray& links); // 20 positions
QByteArray SearchLinkPattern(const QByteArray& links); // 40 positions
