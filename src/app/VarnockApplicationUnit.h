#pragma once
// The application object: it owns the data module and every window (destroyed in reverse order of creation),
// turns exceptions that reach the event loop into event log lines, and closes the program as a user would on
// SIGTERM or SIGINT.

#include <QApplication>
#include <QPointer>

#include <functional>
#include <utility>
#include <vector>

class QSocketNotifier;
class QTimer;

class TVarnockApplication : public QApplication {
    Q_OBJECT
public:
    TVarnockApplication(int& argc, char** argv);
    ~TVarnockApplication() override;

    // Start-up steps 2 to 7: start-up window, data module, main window, the other windows hidden, start-up
    // window hidden. Throws EDataModule (or another std::exception) when the program cannot start.
    void CreateForms();
    void DestroyForms();

    // The new object is owned by the application and its global reference is cleared when it goes.
    template <class T, class... Arguments> T* CreateForm(T*& reference, Arguments&&... arguments)
    {
        T* form = new T(std::forward<Arguments>(arguments)...);
        reference = form;
        Owned.push_back([form, &reference] {
            delete form;
            if (reference == form)
                reference = nullptr;
        });
        return form;
    }

    // The window whose closing ends the program.
    void SetMainForm(QWidget* form);
    QWidget* MainForm() const { return MainFormWindow; }

    void InstallCloseSignals();
    bool ClosingOnSignal() const { return SignalClose; }

    bool notify(QObject* receiver, QEvent* event) override;

Q_SIGNALS:
    // An exception reached the event loop; without a receiver it is logged as "--->" + message.
    void ExceptionRaised(const QString& message);

private:
    void HandleException(const QString& message);
    void SignalArrived();
    void CloseStep();

    std::vector<std::function<void()>> Owned;
    QPointer<QWidget> MainFormWindow;
    QSocketNotifier* SignalNotifier = nullptr;
    QTimer* CloseTimer = nullptr;
    bool SignalClose = false;
};

// A modal box or dialog answered No or Cancel (or closed when it offers neither).
void AnswerNegatively(QWidget* modal);

inline TVarnockApplication* VarnockApp()
{
    return qobject_cast<TVarnockApplication*>(QCoreApplication::instance());
}
