#pragma once
// The start-up window. It stays after start-up, hidden, and serves long receiver transfers as their progress
// window (PlaceOver, show, SetStatus/SetProgress, hide).

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QStatusBar;

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

    void SetStatus(const QString& text, bool animate);
    void SetProgress(int minimum, int maximum, int position);
    // Centred over window (or the screen without one); keepOnScreen pulls it back inside the screen.
    void PlaceOver(QWidget* window, bool keepOnScreen);

    // Called after every status or progress change (the main window repaints itself through it).
    std::function<void()> OnRefresh;

    QLabel* CompanyLabel = nullptr;
    QLabel* ApplicationNameLabel = nullptr;
    QLabel* ContactLabel = nullptr;
    QLabel* PictureImage = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QStatusBar* StatusBar = nullptr;

private:
    void FormCreate();
    void FitApplicationName();
    void AnimationStep();
    void Refresh();
};

// The start-up window, valid from the first step of start-up to process exit.
extern TSplashForm* SplashForm;

// Both do nothing while no start-up window exists.
void ShowSplashStatus(const QString& text, int steps, int delayMs);
void ShowSplashProgress(int minimum, int maximum, int position);

// The position PlaceOver chooses (window given as its outer rectangle).
QPoint SplashPositionOver(const QRect& window, QSize splash, QSize screen, bool keepOnScreen);
