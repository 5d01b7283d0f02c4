#pragma once
// The event log window: coloured, time-stamped lines (at most 10000, the oldest go first), cleared or saved
// as RTF on request, and saved beside the executable whenever the user closes it.

#include "app/EventLogUnit.h"

#include <QElapsedTimer>
#include <QWidget>

#include <vector>

class QAction;
class QPlainTextEdit;
class QPushButton;

class TEventLogForm : public QWidget, private EventLogSink {
    Q_OBJECT
public:
    static constexpr int MaximumLines = 10000;

    // The buttons trigger the main window's actions when given, else this window's own operations. The window
    // registers as the log's sink, so the lines logged before it existed appear at once.
    explicit TEventLogForm(
        QAction* clearAction = nullptr, QAction* saveAction = nullptr, QWidget* parent = nullptr);
    ~TEventLogForm() override;

    void ClearLog();
    // Asks for a file name; the extension is always ".rtf".
    void SaveLogAs();
    // Writes the content as RTF to fileName with its extension replaced by ".rtf"; throws std::runtime_error.
    void SaveLogToFile(const QString& fileName) const;

    int LineCount() const;
    std::vector<EventLogLine> Lines() const;

    QPlainTextEdit* EventLogRichEdit = nullptr;
    QPushButton* ClearEventLogButton = nullptr;
    QPushButton* SaveEventLogButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AppendLine(const EventLogLine& line) override;
    void AppendPhysicalLine(const QString& text, TColor colour);
    void DeleteFirstLine();
    void RepaintSoon();

    static constexpr int RepaintIntervalMs = 40;
    QElapsedTimer LastRepaint;

    bool FirstShowDone = false;
    int LineTotal = 0; // the document always holds one block, empty or not
};

// One paragraph per line, each in its own colour.
QByteArray EventLogRtf(const std::vector<EventLogLine>& lines);

// The window while it exists.
extern TEventLogForm* EventLogForm;
