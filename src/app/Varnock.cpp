// Program entry: one copy only, the forms in their order, then the event loop until the main window closes.

#include "app/DataModuleUnit.h"
#include "app/SingleInstanceUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/MainFormUnit.h"
#include "support/QuonMessageDlgUnit.h"

#include <cstdio>

namespace {
// Fatal start-up errors go to standard error as well, for a start from a terminal or a script.
int FailStartUp(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    ShowMessageAtControl(message, TMsgDlgType::mtError, MsgDlgBtn::mbOK, nullptr, 0);
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    TVarnockApplication application(argc, argv);
    TSingleInstance instance;
    if (!instance.Claim()) {
        instance.SendMessage(1, 0);
        return 0;
    }
    application.InstallCloseSignals();
    try {
        application.CreateForms();
    } catch (const std::exception& error) {
        return FailStartUp(QString::fromUtf8(error.what()));
    }
    QObject::connect(&instance, &TSingleInstance::MessageReceived, VarnockMainForm,
        &TVarnockMainForm::ApplicationEvents1Message);
    return application.exec();
}
