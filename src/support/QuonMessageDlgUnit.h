#pragma once
// Standard message boxes placed over a control or at a screen point, pushed back inside the screen.

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button set: any combination of the flags.
using TMsgDlgButtons = unsigned;
namespace MsgDlgBtn {
constexpr TMsgDlgButtons mbYes = 1u << 0;
constexpr TMsgDlgButtons mbNo = 1u << 1;
constexpr TMsgDlgButtons mbOK = 1u << 2;
constexpr TMsgDlgButtons mbCancel = 1u << 3;
constexpr TMsgDlgButtons mbAbort = 1u << 4;
constexpr TMsgDlgButtons mbRetry = 1u << 5;
constexpr TMsgDlgButtons mbIgnore = 1u << 6;
constexpr TMsgDlgButtons mbAll = 1u << 7;
constexpr TMsgDlgButtons mbNoToAll = 1u << 8;
constexpr TMsgDlgButtons mbYesToAll = 1u << 9;
constexpr TMsgDlgButtons mbHelp = 1u << 10;
} // namespace MsgDlgBtn

// The button pressed; mrNone when the box was closed otherwise.
enum TModalResult {
    mrNone,
    mrOk,
    mrCancel,
    mrAbort,
    mrRetry,
    mrIgnore,
    mrYes,
    mrNo,
    mrAll,
    mrNoToAll,
    mrYesToAll
};

// Centred on the control's centre, or on the screen's centre without a control.
TModalResult ShowMessageAtControl(
    const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, QWidget* control, int helpContext);
TModalResult ShowMessageAtPoint(
    const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, QPoint point, int helpContext);
// Centres the window's outer rectangle on point, then keeps it on the primary screen (top-left corner always
// on it).
void PlaceFormAtPoint(QWidget* form, QPoint point);
// The position PlaceFormAtPoint chooses for an outer size on a screen of the given size.
QPoint FormPositionAtPoint(QSize size, QPoint point, QSize screen);
