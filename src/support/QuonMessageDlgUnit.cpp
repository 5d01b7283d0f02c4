#include "support/QuonMessageDlgUnit.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <utility>
#include <vector>

namespace {
QSize PrimaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

struct ButtonChoice {
    TMsgDlgButtons Flag;
    QMessageBox::StandardButton Standard; // NoButton: a button of our own
    const char* Caption;
    TModalResult Result;
};

const std::vector<ButtonChoice>& ButtonChoices()
{
    using namespace MsgDlgBtn;
    static const std::vector<ButtonChoice> choices {
        {mbYes, QMessageBox::Yes, nullptr, mrYes},
        {mbNo, QMessageBox::No, nullptr, mrNo},
        {mbOK, QMessageBox::Ok, nullptr, mrOk},
        {mbCancel, QMessageBox::Cancel, nullptr, mrCancel},
        {mbAbort, QMessageBox::Abort, nullptr, mrAbort},
        {mbRetry, QMessageBox::Retry, nullptr, mrRetry},
        {mbIgnore, QMessageBox::Ignore, nullptr, mrIgnore},
        {mbAll, QMessageBox::NoButton, "All", mrAll},
        {mbNoToAll, QMessageBox::NoToAll, nullptr, mrNoToAll},
        {mbYesToAll, QMessageBox::YesToAll, nullptr, mrYesToAll},
        {mbHelp, QMessageBox::Help, nullptr, mrNone},
    };
    return choices;
}

// Places itself once its size is final (QMessageBox sizes itself while being shown, before it is mapped).
class TPlacedMessageBox : public QMessageBox {
public:
    explicit TPlacedMessageBox(QPoint point)
        : Point(point)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        PlaceFormAtPoint(this, Point);
    }

private:
    QPoint Point;
};

void SetKind(QMessageBox& box, TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Warning"));
        break;
    case TMsgDlgType::mtError:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Error"));
        break;
    case TMsgDlgType::mtInformation:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Information"));
        break;
    case TMsgDlgType::mtConfirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirm"));
        break;
    case TMsgDlgType::mtCustom:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(QGuiApplication::applicationDisplayName());
        break;
    }
}
} // namespace

QPoint FormPositionAtPoint(QSize size, QPoint point, QSize screen)
{
    const int width = qMin(size.width(), screen.width());
    const int height = qMin(size.height(), screen.height());
    int left = point.x() - width / 2;
    int top = point.y() - height / 2;
    if (left + width > screen.width())
        left -= left + width - screen.width();
    if (top + height > screen.height())
        top -= top + height - screen.height();
    return {qMax(0, left), qMax(0, top)};
}

void PlaceFormAtPoint(QWidget* form, QPoint point)
{
    if (!form)
        return;
    form->setAttribute(Qt::WA_Moved); // no automatic positioning from here on
    const QSize outer = form->isVisible() ? form->frameGeometry().size() : form->size();
    form->move(FormPositionAtPoint(outer, point, PrimaryScreenSize()));
}

TModalResult ShowMessageAtPoint(
    const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, QPoint point, int helpContext)
{
    TPlacedMessageBox box(point);
    box.setObjectName(QStringLiteral("MessageDlg"));
    box.setText(message);
    box.setProperty("helpContext", helpContext);
    SetKind(box, kind);
    std::vector<std::pair<QAbstractButton*, TModalResult>> results;
    for (const ButtonChoice& choice : ButtonChoices()) {
        if (!(buttons & choice.Flag))
            continue;
        QAbstractButton* button = choice.Standard != QMessageBox::NoButton
            ? static_cast<QAbstractButton*>(box.addButton(choice.Standard))
            : box.addButton(QString::fromLatin1(choice.Caption), QMessageBox::AcceptRole);
        results.emplace_back(button, choice.Result);
    }
    box.exec();
    for (const auto& [button, result] : results) {
        if (box.clickedButton() == button)
            return result;
    }
    return mrNone;
}

TModalResult ShowMessageAtControl(
    const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, QWidget* control, int helpContext)
{
    const QPoint centre = control ? control->mapToGlobal(QPoint(control->width() / 2, control->height() / 2))
                                  : QPoint(PrimaryScreenSize().width() / 2, PrimaryScreenSize().height() / 2);
    return ShowMessageAtPoint(message, kind, buttons, centre, helpContext);
}
