#pragma once
// The receiver bracket of the bank editors and the retrieve commands. A series of receiver commands runs
// with the hourglass showing, the receiver's squelch reports off, the driver's database copy switched as the
// operation needs and the progress window over the window concerned; all of it is put back afterwards, also
// when the series fails (the error then goes on to the caller).

#include <QString>

#include <functional>
#include <optional>

class QWidget;
class TAOR8200;
class TDBAOR8200;

struct TReceiverBracket {
    bool Hourglass = true;
    bool ReportsOff = true;
    std::optional<bool> UseDatabaseCopy; // the driver's flag for the body; restored afterwards
    QWidget* ProgressOver = nullptr; // shows the progress window centred over this window
    QString Status; // the progress window's first status line
};

// Runs body inside the bracket.
void RunInReceiverBracket(
    TDBAOR8200& driver, const TReceiverBracket& bracket, const std::function<void()>& body);

// Runs cleanup after work, also when work fails (cleanup is told which); the work's error then goes on.
void RunThenAlways(const std::function<void()>& work, const std::function<void(bool failed)>& cleanup);

// The driver an editor works through; raises EAOR8200 "No receiver driver" without one.
TDBAOR8200& EditorDriver(TDBAOR8200* driver);

// Shows the hourglass while it exists.
class THourglass {
public:
    THourglass();
    ~THourglass();
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// The progress window; each does nothing while there is none.
void ShowProgressStatus(const QString& text);
void ShowProgress(int minimum, int maximum, int position);
void HideProgressWindow();

// The fixed pauses between receiver writes.
void PauseMs(int milliseconds);

// Live audio as the retrieve frame sees the main window's: whether it is on, and its toggle command.
struct TLiveAudio {
    std::function<bool()> IsOn;
    std::function<void()> Toggle;
};

// The retrieve commands' frame: without a driver or an open port "Please select a comm port" over
// mainWindow and nothing else; otherwise hourglass, squelch reports off and live audio off for the work,
// both back as they were afterwards, also when the work fails.
void RunRetrieveFrame(
    TAOR8200* driver, QWidget* mainWindow, const TLiveAudio& audio, const std::function<void()>& work);

// Removes every row of one of the copy's tables (a table name of the program, never user text).
void EmptyCopyTable(const QString& tableName);
