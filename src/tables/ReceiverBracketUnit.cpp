#include "tables/ReceiverBracketUnit.h"

#include "app/DataModuleUnit.h"
#include "app/SplashFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/QuonMessageDlgUnit.h"

#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <exception>

namespace {

// Runs each restoring step; a failure while an earlier error is on its way is dropped, otherwise the first
// failure of a step goes on once every step has run.
class TRestorer {
public:
    explicit TRestorer(std::exception_ptr pending)
        : Pending(std::move(pending))
    {
    }
    void Run(const std::function<void()>& step)
    {
        try {
            step();
        } catch (...) {
            if (!Pending && !Own)
                Own = std::current_exception();
        }
    }
    void Finish() const
    {
        if (Pending)
            std::rethrow_exception(Pending);
        if (Own)
            std::rethrow_exception(Own);
    }

private:
    std::exception_ptr Pending;
    std::exception_ptr Own;
};

} // namespace

void RunThenAlways(const std::function<void()>& work, const std::function<void(bool failed)>& cleanup)
{
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    cleanup(bool(failure));
    if (failure)
        std::rethrow_exception(failure);
}

TDBAOR8200& EditorDriver(TDBAOR8200* driver)
{
    if (!driver)
        throw EAOR8200(QStringLiteral("No receiver driver"));
    return *driver;
}

THourglass::THourglass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

THourglass::~THourglass()
{
    QApplication::restoreOverrideCursor();
}

void ShowProgressStatus(const QString& text)
{
    if (SplashForm)
        SplashForm->SetStatus(text, false);
}

void ShowProgress(int minimum, int maximum, int position)
{
    if (SplashForm)
        SplashForm->SetProgress(minimum, maximum, position);
}

void HideProgressWindow()
{
    if (SplashForm)
        SplashForm->hide();
}

void PauseMs(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void RunInReceiverBracket(
    TDBAOR8200& driver, const TReceiverBracket& bracket, const std::function<void()>& body)
{
    std::optional<THourglass> hourglass;
    if (bracket.Hourglass)
        hourglass.emplace();
    std::optional<int> reporting;
    const bool useDatabaseCopy = driver.UseDatabaseCopy;
    std::exception_ptr failure;
    try {
        if (bracket.ReportsOff) {
            reporting = driver.GetSquelchReporting();
            driver.SetSquelchReporting(0);
        }
        if (bracket.UseDatabaseCopy)
            driver.UseDatabaseCopy = *bracket.UseDatabaseCopy;
        if (bracket.ProgressOver && SplashForm) {
            SplashForm->PlaceOver(bracket.ProgressOver, true);
            if (!bracket.Status.isEmpty())
                ShowProgressStatus(bracket.Status);
            SplashForm->show();
        }
        body();
    } catch (...) {
        failure = std::current_exception();
    }
    TRestorer restore(failure);
    restore.Run([&] { driver.UseDatabaseCopy = useDatabaseCopy; });
    restore.Run([&] {
        if (reporting)
            driver.SetSquelchReporting(std::uint8_t(*reporting));
    });
    restore.Run([&] {
        if (bracket.ProgressOver)
            HideProgressWindow();
    });
    restore.Finish();
}

void RunRetrieveFrame(
    TAOR8200* driver, QWidget* mainWindow, const TLiveAudio& audio, const std::function<void()>& work)
{
    if (!driver || driver->GetCommPortNumber() == 0) {
        ShowMessageAtControl(QStringLiteral("Please select a comm port"), TMsgDlgType::mtError,
            MsgDlgBtn::mbOK, mainWindow, 0);
        return;
    }
    THourglass hourglass;
    const int reporting = driver->GetSquelchReporting();
    driver->SetSquelchReporting(0);
    std::exception_ptr failure;
    bool audioWasOn = false;
    try {
        audioWasOn = audio.IsOn && audio.IsOn();
        if (audioWasOn)
            audio.Toggle();
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    TRestorer restore(failure);
    restore.Run([&] {
        if (audioWasOn)
            audio.Toggle();
    });
    restore.Run([&] { driver->SetSquelchReporting(std::uint8_t(reporting)); });
    restore.Finish();
}

void EmptyCopyTable(const QString& tableName)
{
    if (!DataModule1)
        throw EDatabaseError(QStringLiteral("EmptyCopyTable: no database"));
    QSqlQuery query(DataModule1->Database());
    if (!query.exec(QStringLiteral("DELETE FROM ") + tableName))
        throw EDatabaseError(tableName + QStringLiteral(": ") + query.lastError().text());
}
