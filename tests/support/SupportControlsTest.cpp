#include "support/ImageListUnit.h"
#include "support/MiscellaneousRoutinesUnit.h"
#include "support/RadioGroupUnit.h"
#include "support/TQuonAnalogueClockUnit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <stdexcept>

namespace {

class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

QColor PixelOf(QWidget& widget, QPoint at)
{
    return widget.grab().toImage().pixelColor(at);
}

} // namespace

class SupportControlsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clockDefaults()
    {
        const TQuonAnalogueClock clock;
        QCOMPARE(clock.size(), QSize(80, 80));
        QCOMPARE(clock.TimeBeingDisplayed(), 0.0);
        QVERIFY(clock.SnapSecondHand());
        QVERIFY(!clock.SnapMinuteHand());
        QVERIFY(!clock.SnapHourHand());
        QCOMPARE(clock.HourPenColour(), clBlack);
        QCOMPARE(clock.HourPenWidth(), 3);
        QCOMPARE(clock.MinutePenColour(), clBlack);
        QCOMPARE(clock.MinutePenWidth(), 2);
        QCOMPARE(clock.SecondPenColour(), RGBColour(255, 0, 0));
        QCOMPARE(clock.SecondPenWidth(), 1);
        QCOMPARE(clock.CentreDiscColour(), RGBColour(192, 192, 192));
        QCOMPARE(clock.CentreDiscRadiusPerCent(), 8);
        QCOMPARE(clock.TickPenColour(), RGBColour(128, 128, 128));
        QCOMPARE(clock.TickPenWidth(), 0);
        const QColor face = clock.palette().color(QPalette::Button);
        QCOMPARE(clock.Color(), RGBColour(face.red(), face.green(), face.blue()));
        QVERIFY(!clock.Transparent());
        QVERIFY(!clock.OnPaintEnter());
        QVERIFY(!clock.OnPaintExit());
    }

    // Enter comes after the face and before ticks, hands and disc; exit comes last.
    void clockPaintEventsInOrder()
    {
        TQuonAnalogueClock clock;
        clock.SetColor(clYellow);
        QStringList calls;
        clock.SetOnPaintEnter([&](TQuonAnalogueClock* sender) {
            calls << "enter";
            QCOMPARE(sender, &clock);
            QVERIFY(sender->Canvas());
            sender->Canvas()->fillRect(sender->rect(), Qt::blue);
        });
        clock.SetOnPaintExit([&](TQuonAnalogueClock* sender) {
            calls << "exit";
            sender->Canvas()->fillRect(QRect(38, 10, 5, 5), Qt::green);
        });
        const QImage image = clock.grab().toImage();
        QCOMPARE(calls,
            QStringList() << "enter"
                          << "exit");
        QVERIFY(!clock.Canvas());
        QCOMPARE(image.pixelColor(30, 55), QColor(Qt::blue)); // face painted over by enter
        QCOMPARE(image.pixelColor(40, 40), QColor(192, 192, 192)); // disc drawn after enter
        QCOMPARE(image.pixelColor(40, 75), QColor(128, 128, 128)); // six o'clock tick after enter
        QCOMPARE(image.pixelColor(40, 12), QColor(Qt::green)); // exit drawn over the hands
    }

    void clockIgnoresErrorsOfItsEvents()
    {
        TQuonAnalogueClock clock;
        clock.SetColor(clYellow);
        bool exitRan = false;
        clock.SetOnPaintEnter([](TQuonAnalogueClock*) { throw std::runtime_error("enter failed"); });
        clock.SetOnPaintExit([&](TQuonAnalogueClock*) {
            exitRan = true;
            throw 42;
        });
        const QImage image = clock.grab().toImage();
        QVERIFY(exitRan);
        QCOMPARE(image.pixelColor(40, 40), QColor(192, 192, 192));
        QCOMPARE(image.pixelColor(30, 55), QColor(Qt::yellow));
    }

    void clockTransparencyShowsTheParent_data()
    {
        QTest::addColumn<bool>("transparent");
        QTest::addColumn<QColor>("inside");
        QTest::newRow("filled face") << false << QColor(Qt::yellow);
        QTest::newRow("transparent face") << true << QColor(Qt::red);
    }
    void clockTransparencyShowsTheParent()
    {
        QFETCH(bool, transparent);
        QFETCH(QColor, inside);
        QWidget parent;
        parent.resize(80, 80);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::red);
        parent.setPalette(palette);
        auto* clock = new TQuonAnalogueClock(&parent);
        clock->SetColor(clYellow);
        clock->SetTransparent(transparent);
        QCOMPARE(PixelOf(parent, {30, 55}), inside);
        QCOMPARE(PixelOf(parent, {40, 40}), QColor(192, 192, 192));
        QCOMPARE(PixelOf(parent, {1, 1}), QColor(Qt::red)); // outside the face
    }

    // At 00:15:30 the three hands point apart: hour near twelve, minute near three, second at six.
    void clockHiddenHands()
    {
        TQuonAnalogueClock clock;
        clock.SetColor(clYellow);
        clock.SetCentreDiscRadiusPerCent(0);
        clock.SetTimeBeingDisplayed(39521.0 + (15 * 60 + 30) / 86400.0);
        clock.SetHourPenWidth(5);
        clock.SetMinutePenWidth(5);
        const QPoint onHour(41, 28), onMinute(60, 41), onSecond(40, 60);
        QImage image = clock.grab().toImage();
        QCOMPARE(image.pixelColor(onHour), QColor(Qt::black));
        QCOMPARE(image.pixelColor(onMinute), QColor(Qt::black));
        QCOMPARE(image.pixelColor(onSecond), QColor(Qt::red));

        clock.SetHourPenWidth(-1);
        clock.SetMinutePenWidth(-1);
        clock.SetSecondPenWidth(-1);
        image = clock.grab().toImage();
        for (const QPoint at : {onHour, onMinute, onSecond})
            QCOMPARE(image.pixelColor(at), QColor(Qt::yellow));
        QCOMPARE(image.pixelColor(40, 75), QColor(128, 128, 128)); // ticks stay
        clock.SetTickPenWidth(-1);
        QCOMPARE(PixelOf(clock, {40, 75}), QColor(Qt::yellow));
    }

    void clockRepaintsOnlyOnChange()
    {
        QWidget window;
        window.resize(100, 100);
        auto* clock = new TQuonAnalogueClock(&window);
        TPaintCounter counter;
        clock->installEventFilter(&counter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(counter.Paints > 0);

        const auto paintsAfter = [&](const std::function<void()>& change) {
            QCoreApplication::processEvents();
            counter.Paints = 0;
            change();
            QCoreApplication::processEvents();
            return counter.Paints;
        };
        QCOMPARE(paintsAfter([&] { clock->SetTimeBeingDisplayed(0); }), 0);
        QVERIFY(paintsAfter([&] { clock->SetTimeBeingDisplayed(0.5); }) > 0);
        QCOMPARE(paintsAfter([&] { clock->SetHourPenWidth(3); }), 0);
        QVERIFY(paintsAfter([&] { clock->SetHourPenWidth(4); }) > 0);
        QCOMPARE(paintsAfter([&] { clock->SetTransparent(true); }), 0);
        QVERIFY(paintsAfter([&] { clock->SetColor(clock->Color()); }) > 0);
        QVERIFY(paintsAfter([&] { clock->SetOnPaintExit({}); }) > 0);
    }

    void silentCheckBox()
    {
        QCheckBox box;
        int handlerRuns = 0;
        connect(&box, &QCheckBox::stateChanged, this, [&] { ++handlerRuns; });
        connect(&box, &QCheckBox::toggled, this, [&] { ++handlerRuns; });
        SetCheckBoxSilently(&box, true);
        QVERIFY(box.isChecked());
        SetCheckBoxSilently(&box, Qt::Unchecked);
        QVERIFY(!box.isChecked());
        QCOMPARE(handlerRuns, 0);
        box.setChecked(true);
        QVERIFY(handlerRuns > 0);
        SetCheckBoxSilently(nullptr, true);
    }

    void silentScrollBar()
    {
        QScrollBar bar(Qt::Horizontal);
        bar.setRange(0, 255);
        int handlerRuns = 0;
        connect(&bar, &QScrollBar::valueChanged, this, [&] { ++handlerRuns; });
        connect(&bar, &QScrollBar::actionTriggered, this, [&] { ++handlerRuns; });
        connect(&bar, &QScrollBar::sliderMoved, this, [&] { ++handlerRuns; });
        SetScrollBarSilently(&bar, 77);
        QCOMPARE(bar.value(), 77);
        QCOMPARE(handlerRuns, 0);
        bar.setValue(3);
        QVERIFY(handlerRuns > 0);
        SetScrollBarSilently(nullptr, 1);
    }

    void silentSpinEdit()
    {
        QSpinBox spin;
        spin.setRange(0, 99);
        int handlerRuns = 0;
        connect(&spin, &QSpinBox::valueChanged, this, [&] { ++handlerRuns; });
        connect(&spin, &QSpinBox::textChanged, this, [&] { ++handlerRuns; });
        SetSpinEditSilently(&spin, 12);
        QCOMPARE(spin.value(), 12);
        QCOMPARE(handlerRuns, 0);
        spin.setValue(13);
        QVERIFY(handlerRuns > 0);
        SetSpinEditSilently(nullptr, 1);
    }

    void silentRadioGroup_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("selected");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last") << 4 << 4;
        QTest::newRow("one past the end clears") << 5 << -1;
        QTest::newRow("negative clears") << -1 << -1;
    }
    void silentRadioGroup()
    {
        QFETCH(int, index);
        QFETCH(int, selected);
        TRadioGroup group;
        group.setItems({"A", "B", "C", "D", "E"});
        group.setItemIndex(2);
        int handlerRuns = 0;
        connect(&group, &TRadioGroup::clicked, this, [&] { ++handlerRuns; });
        connect(group.buttonGroup(), &QButtonGroup::idToggled, this, [&] { ++handlerRuns; });
        connect(group.button(0), &QRadioButton::toggled, this, [&] { ++handlerRuns; });
        SetRadioGroupSilently(&group, index);
        QCOMPARE(group.itemIndex(), selected);
        QCOMPARE(handlerRuns, 0);
        SetRadioGroupSilently(nullptr, 0);
    }

    void radioGroupClickFollowsTheSelection()
    {
        TRadioGroup group;
        group.setItems({"Off", "On"});
        QCOMPARE(group.itemIndex(), -1);
        int clicks = 0;
        connect(&group, &TRadioGroup::clicked, this, [&] { ++clicks; });
        group.setItemIndex(1);
        QCOMPARE(clicks, 1);
        group.button(0)->click(); // as the user does
        QCOMPARE(group.itemIndex(), 0);
        QCOMPARE(clicks, 2);
        group.setItemIndex(2);
        QCOMPARE(group.itemIndex(), -1);
        QCOMPARE(clicks, 3);
        group.setItemIndex(-1);
        QCOMPARE(clicks, 3);
        QCOMPARE(group.items(),
            QStringList() << "Off"
                          << "On");
    }

    void enableGroupBoxControls()
    {
        QWidget form;
        auto* box = new QGroupBox(&form);
        auto* first = new QCheckBox(box);
        auto* second = new QSpinBox(box);
        auto* inner = new QGroupBox(box);
        auto* nested = new QCheckBox(inner);
        auto* outside = new QCheckBox(&form);

        EnableGroupBoxControls(&form, box, false);
        QVERIFY(!first->isEnabled());
        QVERIFY(!second->isEnabled());
        QVERIFY(!inner->isEnabled());
        QVERIFY(!nested->testAttribute(Qt::WA_ForceDisabled)); // its own state is left alone
        QVERIFY(outside->isEnabled());
        QVERIFY(box->isEnabled());

        EnableGroupBoxControls(&form, box, true);
        QVERIFY(first->isEnabled() && second->isEnabled() && nested->isEnabled());
        EnableGroupBoxControls(nullptr, box, false);
        QVERIFY(first->isEnabled());
    }

    void showScrollBarValue()
    {
        QScrollBar bar;
        bar.setRange(0, 255);
        QLabel label;
        ShowScrollBarValue(&bar, &label, QStringLiteral("LevelSquelch"));
        QCOMPARE(label.text(), QStringLiteral("LevelSquelch  Off"));
        bar.setValue(128);
        ShowScrollBarValue(&bar, &label, QStringLiteral("LevelSquelch"));
        QCOMPARE(label.text(), QStringLiteral("LevelSquelch  128"));
    }

    void imageListIcons()
    {
        for (const int index : {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 23}) {
            const QIcon icon = ImageListIcon(index);
            QVERIFY2(!icon.isNull(), qPrintable(ImageListPath(index)));
            const QImage image = icon.pixmap(24, 24).toImage();
            QVERIFY2(
                !image.isNull() && image.pixelColor(12, 12).alpha() > 0, qPrintable(ImageListPath(index)));
        }
        QVERIFY(ImageListIcon(3).isNull());
        QVERIFY(ImageListIcon(ImageListCount).isNull());
    }
};

QTEST_MAIN(SupportControlsTest)
#include "SupportControlsTest.moc"
