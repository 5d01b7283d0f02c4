#include "app/VarnockApplicationUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogFormUnit.h"
#include "app/EventLogUnit.h"
#include "app/SplashFormUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/SerialCommUnit.h"
#include "support/QuonMessageDlgUnit.h"
#include "tables/FrequencyLookupFormUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"
#include "tables/SearchBankMemoriesFormUnit.h"
#include "tables/SpecialFrequenciesAttributesFormUnit.h"
#include "tables/SpecialFrequenciesFormUnit.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QMetaMethod>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int SignalPipe[2] = {-1, -1};

void WriteSignalByte(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(SignalPipe[1], &byte, 1);
}
} // namespace

TVarnockApplication::TVarnockApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setQuitOnLastWindowClosed(false);
    SetEventLogBeeper([] { QApplication::beep(); });
}

TVarnockApplication::~TVarnockApplication()
{
    DestroyForms();
}

void TVarnockApplication::DestroyForms()
{
    while (!Owned.empty()) {
        const std::function<void()> destroy = std::move(Owned.back());
        Owned.pop_back();
        destroy();
    }
}

void TVarnockApplication::SetMainForm(QWidget* form)
{
    MainFormWindow = form;
}

// The creation order of the program; the data module outlives every window because it is destroyed after
// them.
void TVarnockApplication::CreateForms()
{
    CreateForm(SplashForm);
    SplashForm->show();
    SplashForm->repaint();

    TDataModuleReporter reporter;
    reporter.Status = [](const QString& text) { ShowSplashStatus(text, 2, 20); };
    reporter.Progress
        = [](int minimum, int maximum, int position) { ShowSplashProgress(minimum, maximum, position); };
    reporter.Error = [](const QString& message) {
        ShowMessageAtControl(message, TMsgDlgType::mtError, MsgDlgBtn::mbOK, nullptr, 0);
    };
    CreateForm(DataModule1, std::move(reporter));
    // Port numbers name the devices of this option when it is set (a simulator, an unusual adapter).
    SetSerialPortTable(
        DataModule1->GetOptionString(QStringLiteral("SerialPortDevices")).split(u';', Qt::SkipEmptyParts));

    CreateForm(VarnockMainForm);
    SetMainForm(VarnockMainForm);
    connect(
        VarnockMainForm, &TVarnockMainForm::FormClosed, this, &QCoreApplication::quit, Qt::QueuedConnection);

    // Then, hidden: the scan bank editor, the search bank editor, the lookup window, the special frequencies
    // window and the attributes dialog (in this order, as they come), and last the event log window.
    CreateForm(ScanBankMemoriesForm);
    CreateForm(SearchBankMemoriesForm);
    CreateForm(FrequencyLookupForm);
    CreateForm(SpecialFrequenciesForm);
    CreateForm(SpecialFrequencyAttributesForm, FrequencyLookupForm);
    InstallCsvFileMenu(VarnockMainForm);
    CreateForm(EventLogForm, VarnockMainForm->EventLogClearAction, VarnockMainForm->EventLogSaveAction);

    SplashForm->hide();
    VarnockMainForm->show();
}

bool TVarnockApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(QString::fromUtf8(error.what()));
    } catch (...) {
        HandleException(QStringLiteral("unknown exception"));
    }
    return false;
}

void TVarnockApplication::HandleException(const QString& message)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TVarnockApplication::ExceptionRaised)))
        Q_EMIT ExceptionRaised(message);
    else
        AddToEventLog(QStringLiteral("--->") + message, clRed, true);
}

void TVarnockApplication::InstallCloseSignals()
{
    if (SignalNotifier)
        return;
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    SignalNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(SignalNotifier, &QSocketNotifier::activated, this, &TVarnockApplication::SignalArrived);
    struct sigaction action { };
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void TVarnockApplication::SignalArrived()
{
    char bytes[16];
    while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) { }
    SignalClose = true;
    if (!CloseTimer) {
        CloseTimer = new QTimer(this);
        CloseTimer->setInterval(50);
        connect(CloseTimer, &QTimer::timeout, this, &TVarnockApplication::CloseStep);
        CloseTimer->start();
    }
    CloseStep();
}

// Runs until the program has ended: every question that comes up on the way is answered No or Cancel, then
// the main window is closed as the user would close it.
void TVarnockApplication::CloseStep()
{
    if (QWidget* popup = activePopupWidget()) {
        popup->close();
        return;
    }
    if (QWidget* modal = activeModalWidget()) {
        AnswerNegatively(modal);
        return;
    }
    if (MainFormWindow && MainFormWindow->isVisible())
        MainFormWindow->close();
}

void AnswerNegatively(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        for (const auto standard :
            {QMessageBox::No, QMessageBox::Cancel, QMessageBox::NoToAll, QMessageBox::Abort}) {
            if (QAbstractButton* button = box->button(standard)) {
                button->click();
                return;
            }
        }
        if (QAbstractButton* escape = box->escapeButton()) {
            escape->click();
            return;
        }
        if (!box->buttons().isEmpty()) {
            box->buttons().constLast()->click();
            return;
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
        return;
    }
    modal->close();
}
