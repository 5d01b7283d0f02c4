#include "receiver/FindAOR8200UiUnit.h"

#include "app/SplashFormUnit.h"
#include "receiver/FindAOR8200Unit.h"
#include "support/QuonMessageDlgUnit.h"

#include <QApplication>
#include <QCursor>

namespace {

constexpr int NotFoundHelpContext = 10017;

// The hourglass and the progress window for the scope of the search, put away also when it raises.
class SearchBracket {
public:
    explicit SearchBracket(QWidget* owner)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (SplashForm != nullptr) {
            SplashForm->PlaceOver(owner, true);
            SplashForm->show();
            SplashForm->repaint();
        }
    }
    ~SearchBracket()
    {
        if (SplashForm != nullptr)
            SplashForm->hide();
        QApplication::restoreOverrideCursor();
    }
    SearchBracket(const SearchBracket&) = delete;
    SearchBracket& operator=(const SearchBracket&) = delete;
};

} // namespace

void FindAOR8200(TAOR8200& driver, QWidget* owner)
{
    bool found = false;
    {
        SearchBracket bracket(owner);
        TFindAOR8200Hooks hooks;
        hooks.Status = [](const QString& text) {
            if (SplashForm == nullptr)
                return;
            SplashForm->SetStatus(text, true);
            SplashForm->repaint();
        };
        hooks.Progress = [](int minimum, int maximum, int position) {
            if (SplashForm != nullptr)
                SplashForm->SetProgress(minimum, maximum, position);
        };
        found = SearchForAOR8200(driver, hooks);
    }
    if (!found)
        ShowMessageAtControl(QStringLiteral("AOR8200 not found"), TMsgDlgType::mtInformation,
            MsgDlgBtn::mbOK | MsgDlgBtn::mbHelp, owner, NotFoundHelpContext);
}
