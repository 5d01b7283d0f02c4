#include "monitor/MainFormUnit.h"

#include "app/EventLogFormUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "app/SplashFormUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>

TVarnockMainForm* VarnockMainForm = nullptr;

TVarnockMainForm::TVarnockMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("VarnockMainForm"));
    setWindowTitle(QStringLiteral("Varnock"));
    resize(544, 570);
    VarnockMainForm = this;
    CreateActions();
    CreateMenus();
    FormCreate();
}

TVarnockMainForm::~TVarnockMainForm()
{
    if (SplashForm)
        SplashForm->OnRefresh = nullptr;
    if (VarnockMainForm == this)
        VarnockMainForm = nullptr;
}

QAction* TVarnockMainForm::MakeAction(const char* name, const char* caption, int imageIndex, int helpContext,
    void (TVarnockMainForm::*execute)())
{
    auto* action = new QAction(QString::fromLatin1(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("imageIndex", imageIndex);
    action->setProperty("helpContext", helpContext);
    connect(action, &QAction::triggered, this, execute);
    return action;
}

void TVarnockMainForm::CreateActions()
{
    EventLogShowAction = MakeAction(
        "EventLogShowAction", "ShowEventLog", -1, 10059, &TVarnockMainForm::EventLogShowActionExecute);
    EventLogClearAction = MakeAction(
        "EventLogClearAction", "ClearEventLog", 2, 10060, &TVarnockMainForm::EventLogClearActionExecute);
    EventLogSaveAction = MakeAction(
        "EventLogSaveAction", "SaveEventLog", 18, 10061, &TVarnockMainForm::EventLogSaveActionExecute);
}

void TVarnockMainForm::CreateMenus()
{
    EventLogMenu = menuBar()->addMenu(QStringLiteral("EventLog"));
    EventLogMenu->setObjectName(QStringLiteral("EventLogMenu"));
    EventLogMenu->addAction(EventLogShowAction);
    EventLogMenu->addAction(EventLogClearAction);
    EventLogMenu->addAction(EventLogSaveAction);
}

void TVarnockMainForm::FormCreate()
{
    qApp->setProperty("HelpFile", ProgramFile(QStringLiteral(".chm")));
    if (TVarnockApplication* application = VarnockApp()) {
        connect(application, &TVarnockApplication::ExceptionRaised, this,
            &TVarnockMainForm::ApplicationEvents1Exception);
    }
    if (SplashForm)
        SplashForm->OnRefresh = [this] { repaint(); };
}

void TVarnockMainForm::FormShow()
{
    if (FirstShowDone)
        return;
    FirstShowDone = true;
    RestoreFormLocation(this);
}

void TVarnockMainForm::FormCloseQuery(bool& canClose)
{
    canClose = true;
    setWindowTitle(windowTitle() + QStringLiteral(" - Closing"));
    if (!ClosingStarted) {
        ClosingStarted = true;
    }
    StoreFormLocation(this);
}

void TVarnockMainForm::FormClose()
{
}

void TVarnockMainForm::showEvent(QShowEvent* event)
{
    FormShow();
    QMainWindow::showEvent(event);
}

void TVarnockMainForm::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    Q_EMIT FormClosed();
}

void TVarnockMainForm::ApplicationEvents1Exception(const QString& message)
{
    AddToEventLog(QStringLiteral("--->") + message, clRed, true);
}

void TVarnockMainForm::ApplicationEvents1Message(quint32 wParam, quint32 /*lParam*/)
{
    if (wParam != 1)
        return;
    if (isMinimized()) {
        showNormal();
    } else {
        show();
        raise();
        activateWindow();
    }
}

void TVarnockMainForm::EventLogShowActionExecute()
{
    if (!EventLogForm)
        return;
    EventLogForm->show();
    EventLogForm->raise();
}

void TVarnockMainForm::EventLogClearActionExecute()
{
    if (EventLogForm)
        EventLogForm->ClearLog();
}

void TVarnockMainForm::EventLogSaveActionExecute()
{
    if (EventLogForm)
        EventLogForm->SaveLogAs();
}
