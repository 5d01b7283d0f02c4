// The application object's handler for exceptions reaching the event loop, and the start-up window's
// behaviour.

#include "TestDatabase.h"
#include "app/EventLogUnit.h"
#include "app/SplashFormUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "support/QuonMessageDlgUnit.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace {
class TCollectingSink : public EventLogSink {
public:
    std::vector<EventLogLine> Lines;
    void AppendLine(const EventLogLine& line) override { Lines.push_back(line); }
};

class TThrowingObject : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Invalid Frequency String 12 kHzz");
        return QObject::event(event);
    }
};
} // namespace

class ApplicationCoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exceptionInTheEventLoopIsLoggedAndTheProgramGoesOn()
    {
        TCollectingSink sink;
        SetEventLogSink(&sink);
        int beeps = 0;
        SetEventLogBeeper([&beeps] { ++beeps; });
        TThrowingObject object;
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        bool timerRan = false;
        QTimer::singleShot(0, this, [&timerRan] { timerRan = true; });
        QTRY_VERIFY(timerRan);
        SetEventLogSink(nullptr);
        SetEventLogBeeper({});
        QCOMPARE(sink.Lines.size(), std::size_t(1));
        QVERIFY(sink.Lines[0].text.endsWith("  --->Invalid Frequency String 12 kHzz"));
        QCOMPARE(sink.Lines[0].colour, clRed);
        QCOMPARE(beeps, 1);
    }

    void splashNameFitsTheWindow_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::newRow("short") << "/opt/v/Varnock";
        QTest::newRow("long") << "/opt/v/VarnockWithAVeryLongRenamedExecutableName.bin";
    }
    void splashNameFitsTheWindow()
    {
        QFETCH(QString, executable);
        SetExecutablePathForTesting(executable);
        TSplashForm splash;
        const QLabel* name = splash.ApplicationNameLabel;
        QCOMPARE(name->text(), ProgramName());
        QVERIFY(name->x() + name->width() < splash.width() - 10);
        if (executable.contains("Long"))
            QVERIFY(name->font().pixelSize() < 36);
        else
            QCOMPARE(name->font().pixelSize(), 36);
    }

    // The company label walks down a pixel per animated status, darkening, and jumps back to the top in red.
    void splashAnimation()
    {
        TSplashForm splash;
        QLabel* company = splash.CompanyLabel;
        QCOMPARE(company->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        splash.SetStatus("Initializing DataBase", true);
        QCOMPARE(splash.StatusBar->currentMessage(), QString("Initializing DataBase"));
        QCOMPARE(company->y(), 9);
        QCOMPARE(company->palette().color(QPalette::WindowText), QColor(0, 255 - 18, 0));
        int steps = 1;
        while (company->y() != 8 && steps < 500) {
            splash.SetStatus("step", true);
            ++steps;
        }
        QCOMPARE(company->y(), 8);
        QCOMPARE(company->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(steps > 20);
    }

    void splashPlaceOver_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("keepOnScreen");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("centred over") << QRect(100, 100, 600, 400) << true << QPoint(244, 193);
        QTest::newRow("odd difference truncates") << QRect(0, 0, 313, 214) << false << QPoint(0, 0);
        QTest::newRow("pulled in from the right") << QRect(900, 0, 300, 200) << true << QPoint(712, 0);
        QTest::newRow("left outside") << QRect(900, 0, 300, 200) << false << QPoint(894, -6);
        QTest::newRow("negative becomes 0") << QRect(-400, -300, 100, 100) << true << QPoint(0, 0);
    }
    void splashPlaceOver()
    {
        QFETCH(QRect, window);
        QFETCH(bool, keepOnScreen);
        QFETCH(QPoint, expected);
        QCOMPARE(SplashPositionOver(window, QSize(312, 213), QSize(1024, 768), keepOnScreen), expected);
    }

    void messageBoxPlacement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("centred") << QSize(200, 100) << QPoint(512, 384) << QPoint(412, 334);
        QTest::newRow("near the right edge") << QSize(200, 100) << QPoint(1000, 384) << QPoint(824, 334);
        QTest::newRow("near the bottom edge") << QSize(200, 100) << QPoint(512, 760) << QPoint(412, 668);
        QTest::newRow("near the top-left corner") << QSize(200, 101) << QPoint(10, 10) << QPoint(0, 0);
        QTest::newRow("larger than the screen") << QSize(3000, 2000) << QPoint(512, 384) << QPoint(0, 0);
    }
    void messageBoxPlacement()
    {
        QFETCH(QSize, size);
        QFETCH(QPoint, point);
        QFETCH(QPoint, expected);
        QCOMPARE(FormPositionAtPoint(size, point, QSize(1024, 768)), expected);
    }

    // The box really appears where it is placed, and reports the button pressed.
    void messageBoxAtScreenCentre()
    {
        QRect placed;
        QTimer::singleShot(100, this, [&placed] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            placed = box->frameGeometry();
            box->button(QMessageBox::No)->click();
        });
        const TModalResult result = ShowMessageAtControl("Power Off AOR8200?", TMsgDlgType::mtConfirmation,
            MsgDlgBtn::mbYes | MsgDlgBtn::mbNo, nullptr, 0);
        QCOMPARE(result, mrNo);
        const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
        QVERIFY2((placed.center() - screenCentre).manhattanLength() <= 2,
            qPrintable(QStringLiteral("box at %1,%2 %3x%4")
                           .arg(placed.x())
                           .arg(placed.y())
                           .arg(placed.width())
                           .arg(placed.height())));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TVarnockApplication application(argc, argv);
    ApplicationCoreTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ApplicationCoreTest.moc"
