#include "tables/SpecialFrequenciesAttributesFormUnit.h"

#include "app/DataModuleUnit.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSpecialFrequencyAttributesForm* SpecialFrequencyAttributesForm = nullptr;

std::optional<TColor> PickColourWithDialog(TColor initial, QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(
        QColor(RedOf(initial), GreenOf(initial), BlueOf(initial)), parent, QStringLiteral("Colour"));
    if (!chosen.isValid())
        return std::nullopt;
    return RGBColour(chosen.red(), chosen.green(), chosen.blue());
}

TSpecialFrequencyAttributesForm::TSpecialFrequencyAttributesForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("SpecialFrequencyAttributesForm"));
    setWindowTitle(QStringLiteral("SpecialFrequencyAttributes"));
    CreateControls();
    setFixedSize(329, 142);
    if (!SpecialFrequencyAttributesForm)
        SpecialFrequencyAttributesForm = this;
}

TSpecialFrequencyAttributesForm::~TSpecialFrequencyAttributesForm()
{
    if (SpecialFrequencyAttributesForm == this)
        SpecialFrequencyAttributesForm = nullptr;
}

void TSpecialFrequencyAttributesForm::CreateControls()
{
    FrequencyLabel = new QLabel(QStringLiteral("Frequency"), this);
    FrequencyLabel->setObjectName(QStringLiteral("FrequencyLabel"));
    FrequencyLabel->setGeometry(8, 8, 121, 16);
    FrequencyEdit = new QLineEdit(this);
    FrequencyEdit->setObjectName(QStringLiteral("FrequencyEdit"));
    FrequencyEdit->setGeometry(8, 24, 121, 21);
    FrequencyLabel->setBuddy(FrequencyEdit);

    DisplayColourPanel = new QLabel(QStringLiteral("DisplayColourPanel"), this);
    DisplayColourPanel->setObjectName(QStringLiteral("DisplayColourPanel"));
    DisplayColourPanel->setGeometry(8, 64, 121, 25);
    DisplayColourPanel->setAlignment(Qt::AlignCenter);
    DisplayColourPanel->setFrameShape(QFrame::Panel);
    DisplayColourPanel->setFrameShadow(QFrame::Raised);
    DisplayColourPanel->setAutoFillBackground(true);
    DisplayColourPanel->setCursor(Qt::PointingHandCursor);
    DisplayColourPanel->installEventFilter(this);
    SetPanelColour(Colour);

    auto makeCheckBox = [this](const char* name, const char* caption, int top) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(160, top, 161, 17);
        return box;
    };
    AudioFilesReadOnlyCheckBox = makeCheckBox("AudioFilesReadOnlyCheckBox", "AudioFilesReadOnly", 24);
    HoldOnSquelchCheckBox = makeCheckBox("HoldOnSquelchCheckBox", "HoldOnSQuelch", 48);
    SwitchAudioOnCheckBox = makeCheckBox("SwitchAudioOnCheckBox", "SwitchAudioOn", 72);

    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    BottomPanel->setGeometry(0, 142 - 41, 329, 41);
    CancelBitBtn = new QPushButton(QStringLiteral("Cancel"), BottomPanel);
    CancelBitBtn->setObjectName(QStringLiteral("CancelBitBtn"));
    CancelBitBtn->setGeometry(160, 8, 75, 25);
    OKBitBtn = new QPushButton(QStringLiteral("OK"), BottomPanel);
    OKBitBtn->setObjectName(QStringLiteral("OKBitBtn"));
    OKBitBtn->setGeometry(248, 8, 75, 25);
    OKBitBtn->setDefault(true);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(OKBitBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TSpecialFrequencyAttributesForm::SetPanelColour(TColor colour)
{
    Colour = colour;
    QPalette palette = DisplayColourPanel->palette();
    const QColor fill(RedOf(colour), GreenOf(colour), BlueOf(colour));
    palette.setColor(QPalette::Window, fill);
    // The caption stays readable on dark and light colours.
    palette.setColor(QPalette::WindowText, fill.lightness() < 128 ? Qt::white : Qt::black);
    DisplayColourPanel->setPalette(palette);
}

void TSpecialFrequencyAttributesForm::DisplayColourPanelClick()
{
    if (const std::optional<TColor> chosen = PickColour(Colour, this))
        SetPanelColour(*chosen);
}

bool TSpecialFrequencyAttributesForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DisplayColourPanel && event->type() == QEvent::MouseButtonRelease) {
        DisplayColourPanelClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TSpecialFrequencyAttributesForm::EditSpecialFrequencyAttributes(std::int32_t& frequency,
    TColor& displayColour, bool& makeAudioFilesReadOnly, bool& holdOnSquelch, bool& switchAudioOn,
    bool frequencyVisible, bool frequencyReadOnly, QWidget* owner)
{
    SetPanelColour(displayColour);
    FrequencyEdit->setText(QString::number(frequency));
    FrequencyEdit->setReadOnly(frequencyReadOnly);
    FrequencyEdit->setVisible(frequencyVisible);
    FrequencyLabel->setVisible(frequencyVisible);
    AudioFilesReadOnlyCheckBox->setChecked(makeAudioFilesReadOnly);
    HoldOnSquelchCheckBox->setChecked(holdOnSquelch);
    SwitchAudioOnCheckBox->setChecked(switchAudioOn);

    if (QWidget* over = owner ? owner : parentWidget()) {
        const QRect frame = over->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    if (exec() != QDialog::Accepted)
        return false;

    int edited = 0;
    try {
        edited = StrToInt(FrequencyEdit->text());
    } catch (const EConvertError&) {
        FrequencyEdit->setFocus();
        throw;
    }
    frequency = edited;
    makeAudioFilesReadOnly = AudioFilesReadOnlyCheckBox->isChecked();
    holdOnSquelch = HoldOnSquelchCheckBox->isChecked();
    switchAudioOn = SwitchAudioOnCheckBox->isChecked();
    displayColour = Colour;
    return true;
}
