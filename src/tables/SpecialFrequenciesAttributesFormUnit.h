#pragma once
// The attributes dialog: a special frequency's display colour and its three handling switches, asked for
// when the lookup window marks its selected rows as special. Created hidden at start-up.

#include "support/Colour.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The program's colour picker: nothing when the user cancels. Tests put their own in its place.
using TColourPicker = std::function<std::optional<TColor>(TColor initial, QWidget* parent)>;
std::optional<TColor> PickColourWithDialog(TColor initial, QWidget* parent);

class TSpecialFrequencyAttributesForm : public QDialog {
    Q_OBJECT
public:
    explicit TSpecialFrequencyAttributesForm(QWidget* parent = nullptr);
    ~TSpecialFrequencyAttributesForm() override;

    // Shows the values modally, centred over owner (or the dialog's parent). True when the user confirmed
    // with OK; the values change only then. An edited frequency that is not an integer raises EConvertError
    // with the focus on the edit.
    bool EditSpecialFrequencyAttributes(std::int32_t& frequency, TColor& displayColour,
        bool& makeAudioFilesReadOnly, bool& holdOnSquelch, bool& switchAudioOn, bool frequencyVisible,
        bool frequencyReadOnly, QWidget* owner = nullptr);

    // The colour the panel shows.
    TColor PanelColour() const { return Colour; }
    void SetPanelColour(TColor colour);

    TColourPicker PickColour = PickColourWithDialog;

    // ---- controls (object names as here)
    QLabel* FrequencyLabel = nullptr;
    QLineEdit* FrequencyEdit = nullptr;
    QLabel* DisplayColourPanel = nullptr;
    QCheckBox* AudioFilesReadOnlyCheckBox = nullptr;
    QCheckBox* HoldOnSquelchCheckBox = nullptr;
    QCheckBox* SwitchAudioOnCheckBox = nullptr;
    QWidget* BottomPanel = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* OKBitBtn = nullptr;

public Q_SLOTS:
    void DisplayColourPanelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();

    TColor Colour = clGray;
};

// The dialog while it exists.
extern TSpecialFrequencyAttributesForm* SpecialFrequencyAttributesForm;
