#pragma once
// Receiver discovery: which serial port the receiver is on is never stored; it is found by trying the ports
// of the port table until one accepts the command that switches squelch reports on. The search logic lives
// here, free of widgets; FindAOR8200UiUnit adds the progress window, the hourglass and the "not found" box.

#include <QString>

#include <functional>

class TAOR8200;

// How a search shows its progress; any hook may be left empty.
struct TFindAOR8200Hooks {
    std::function<void(const QString& text)> Status;
    std::function<void(int minimum, int maximum, int position)> Progress;
    // The pauses after a failed port (50 ms) and after the find (1000 ms). Without a hook the calling thread
    // waits, running the main-thread queue when it is the main thread.
    std::function<void(int ms)> Pause;
};

// Tries port numbers from the one after the open port up to 255, then 0 and upwards, the open port last (at
// most 256 attempts). True when found: that port stays open with squelch reports on. Otherwise the driver is
// left with the last port tried (the one open at the start, or none). A port that fails with permission
// denied is named in one event-log line together with the "dialout" group. Errors are not passed on.
bool SearchForAOR8200(TAOR8200& driver, const TFindAOR8200Hooks& hooks = {});
