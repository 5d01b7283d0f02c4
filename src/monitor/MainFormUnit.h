#pragma once
// The program's main window. Its closing ends the program. The window grows in several source files of this
// class: this one holds creation, showing, closing, the application event handlers and the event log
// commands.

#include <QMainWindow>

class QAction;
class QMenu;

class TVarnockMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TVarnockMainForm(QWidget* parent = nullptr);
    ~TVarnockMainForm() override;

    // Actions keep their caption, "imageIndex" and "helpContext" (properties).
    QAction* EventLogShowAction = nullptr;
    QAction* EventLogClearAction = nullptr;
    QAction* EventLogSaveAction = nullptr;

    QMenu* EventLogMenu = nullptr;

    bool ClosingStarted = false; // the close query has done its one-time work
    bool FirstShowDone = false; // the stored placement has been applied

public Q_SLOTS:
    // Every error that reaches the event loop: logged red with a beep as "--->" + message; the program goes
    // on.
    void ApplicationEvents1Exception(const QString& message);
    // The single-instance message: wParam 1 restores a minimised window or brings it to the front.
    void ApplicationEvents1Message(quint32 wParam, quint32 lParam);

    void EventLogShowActionExecute();
    void EventLogClearActionExecute();
    void EventLogSaveActionExecute();

Q_SIGNALS:
    // The user (or a close signal) closed the window: the program ends.
    void FormClosed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    QAction* MakeAction(const char* name, const char* caption, int imageIndex, int helpContext,
        void (TVarnockMainForm::*execute)());

    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormClose();
};

// The main window while it exists.
extern TVarnockMainForm* VarnockMainForm;
