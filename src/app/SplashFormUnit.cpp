#include "app/SplashFormUnit.h"

#include "support/ProgramFilesUnit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QThread>

TSplashForm* SplashForm = nullptr;

namespace {
constexpr int ClientWidth = 312;
constexpr int ClientHeight = 213;
constexpr int CompanyTop = 8;

QSize ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

void SetFontColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QFont ArialFont(int pixelHeight, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// A receiver with its antenna, drawn rather than shipped as an image.
QPixmap ReceiverPicture()
{
    QPixmap picture(128, 150);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 3));
    painter.drawLine(84, 70, 104, 8);
    painter.setBrush(QColor(60, 60, 70));
    painter.drawRoundedRect(QRectF(24, 66, 80, 76), 8, 8);
    painter.setBrush(QColor(150, 220, 150));
    painter.drawRect(QRectF(34, 76, 60, 20));
    painter.setBrush(QColor(200, 200, 200));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            painter.drawEllipse(QRectF(36 + column * 15, 104 + row * 12, 8, 8));
    return picture;
}
} // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(ArialFont(12, false));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setMidLineWidth(2);
    panel->setGeometry(rect());

    PictureImage = new QLabel(panel);
    PictureImage->setObjectName(QStringLiteral("PictureImage"));
    PictureImage->setGeometry(8, 8, 128, 150);
    PictureImage->setPixmap(ReceiverPicture());

    CompanyLabel = new QLabel(QStringLiteral("Tessaly Ltd"), panel);
    CompanyLabel->setObjectName(QStringLiteral("CompanyLabel"));
    CompanyLabel->setFont(ArialFont(13, true));
    CompanyLabel->move(144, CompanyTop);
    CompanyLabel->adjustSize();

    ApplicationNameLabel = new QLabel(QStringLiteral("ApplicationName"), panel);
    ApplicationNameLabel->setObjectName(QStringLiteral("ApplicationNameLabel"));
    ApplicationNameLabel->setFont(ArialFont(36, true));
    SetFontColour(ApplicationNameLabel, QColor(0, 128, 0));
    ApplicationNameLabel->move(120, 120);

    StatusBar = new QStatusBar(panel);
    StatusBar->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(2, ClientHeight - 2 - 19, ClientWidth - 4, 19);

    ProgressBar = new QProgressBar(panel);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setGeometry(2, StatusBar->y() - 13, ClientWidth - 4, 13);

    ContactLabel = new QLabel(QStringLiteral("Tessaly Ltd - scanning receiver software"), panel);
    ContactLabel->setObjectName(QStringLiteral("ContactLabel"));
    ContactLabel->setFont(ArialFont(11, true));
    ContactLabel->setAlignment(Qt::AlignCenter);
    ContactLabel->setGeometry(2, ProgressBar->y() - 18, ClientWidth - 4, 16);

    FormCreate();
}

void TSplashForm::FormCreate()
{
    // Qt widgets paint double-buffered already.
    SetFontColour(CompanyLabel, QColor(0, 255, 0));
    if (ApplicationNameLabel->text() == QLatin1String("ApplicationName"))
        ApplicationNameLabel->setText(ProgramName());
    FitApplicationName();
    move((ScreenSize().width() - width()) / 2, (ScreenSize().height() - height()) / 2);
}

// The name shrinks until it ends at least 10 pixels before the window's right edge.
void TSplashForm::FitApplicationName()
{
    int height = 36;
    ApplicationNameLabel->setFont(ArialFont(height, true));
    ApplicationNameLabel->adjustSize();
    while (ApplicationNameLabel->x() + ApplicationNameLabel->width() >= width() - 10 && height > 1) {
        ApplicationNameLabel->setFont(ArialFont(--height, true));
        ApplicationNameLabel->adjustSize();
    }
}

// The company label walks down a pixel per step, darkening, and jumps back to the top in red near the name.
void TSplashForm::AnimationStep()
{
    CompanyLabel->move(CompanyLabel->x(), CompanyLabel->y() + 1);
    SetFontColour(CompanyLabel, QColor(0, qMax(0, 255 - 2 * CompanyLabel->y()), 0));
    if (CompanyLabel->y() + 2 * CompanyLabel->height() > ApplicationNameLabel->y()) {
        CompanyLabel->move(CompanyLabel->x(), CompanyTop);
        SetFontColour(CompanyLabel, QColor(255, 0, 0));
    }
}

void TSplashForm::Refresh()
{
    if (OnRefresh)
        OnRefresh();
}

void TSplashForm::SetStatus(const QString& text, bool animate)
{
    StatusBar->showMessage(text);
    Refresh();
    if (animate)
        AnimationStep();
    repaint();
}

void TSplashForm::SetProgress(int minimum, int maximum, int position)
{
    ProgressBar->setRange(minimum, maximum);
    ProgressBar->setValue(position);
    repaint();
    Refresh();
}

QPoint SplashPositionOver(const QRect& window, QSize splash, QSize screen, bool keepOnScreen)
{
    int top = window.top() + (window.height() - splash.height()) / 2;
    int left = window.left() + (window.width() - splash.width()) / 2;
    if (keepOnScreen) {
        if (left + splash.width() > screen.width())
            left = screen.width() - splash.width();
        if (top + splash.height() > screen.height())
            top = screen.height() - splash.height();
        left = qMax(0, left);
        top = qMax(0, top);
    }
    return {left, top};
}

void TSplashForm::PlaceOver(QWidget* window, bool keepOnScreen)
{
    const QRect area = window ? window->frameGeometry() : QRect(QPoint(0, 0), ScreenSize());
    move(SplashPositionOver(area, frameGeometry().size(), ScreenSize(), keepOnScreen && window));
}

void ShowSplashStatus(const QString& text, int steps, int delayMs)
{
    if (!SplashForm)
        return;
    SplashForm->SetStatus(text, false);
    for (int step = 0; step < steps; ++step) {
        if (delayMs > 0)
            QThread::msleep(static_cast<unsigned long>(delayMs));
        SplashForm->SetStatus(text, true);
    }
}

void ShowSplashProgress(int minimum, int maximum, int position)
{
    if (SplashForm)
        SplashForm->SetProgress(minimum, maximum, position);
}
