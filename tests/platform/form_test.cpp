// The global window instance: loaded hidden on first access, fresh again after a close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "operator.h"
#include "platform/controls.h"
#include "platform/error.h"

namespace {

class Probe : public ui::Form {
public:
    Probe() : Form("Probe") {
        Text1.create(*this, "Text1", {120, 120, 2400, 300});
        Text1.setDesignText("design");
        Text1.onChange = [] { ++changes; };
    }
    ~Probe() override { ++destroyed; }

    ui::TextBox Text1;

    static inline int loads = 0, unloads = 0, resizes = 0, destroyed = 0, changes = 0;
    static inline bool loadSawItself = false, loadSawShown = false;

protected:
    void Form_Load() override {
        ++loads;
        // Loaded first, then Form_Load: code in it that reaches the window gets this instance.
        loadSawItself = isLoaded() && ui::formLoaded<Probe>() && &ui::form<Probe>() == this;
        loadSawShown = isShown();
    }
    void Form_Unload() override {
        ++unloads;
        Text1.setText("unloading");  // the controls are still there
    }
    void Form_Resize() override { ++resizes; }
};

class FormInstance : public testing::Test {
protected:
    void SetUp() override { resetCounts(); }
    static void resetCounts() {
        Probe::loads = Probe::unloads = Probe::resizes = Probe::destroyed = Probe::changes = 0;
        Probe::loadSawItself = Probe::loadSawShown = false;
    }
    void TearDown() override {
        ui::discardForm<Probe>();
        runQueuedCalls();
    }
    ScriptedScope services;
};

TEST_F(FormInstance, FirstAccessLoadsTheWindowOnceAndLeavesItHidden) {
    EXPECT_FALSE(ui::formLoaded<Probe>());
    Probe& first = ui::form<Probe>();
    EXPECT_TRUE(ui::formLoaded<Probe>());
    EXPECT_TRUE(first.isLoaded());
    EXPECT_EQ(Probe::loads, 1);
    EXPECT_TRUE(Probe::loadSawItself);
    EXPECT_FALSE(Probe::loadSawShown);
    EXPECT_FALSE(first.isShown());
    EXPECT_FALSE(first.window()->isVisible());
    EXPECT_EQ(&ui::form<Probe>(), &first);
    EXPECT_EQ(Probe::loads, 1);
}

TEST_F(FormInstance, ShowAndHideNeverReload) {
    Probe& f = ui::form<Probe>();
    f.Text1.setText("typed");
    ASSERT_TRUE(showAndExpose(f.window()));
    EXPECT_TRUE(f.isShown());
    f.hide();
    EXPECT_FALSE(f.isShown());
    f.show();
    runQueuedCalls();
    EXPECT_EQ(&ui::form<Probe>(), &f);
    EXPECT_EQ(Probe::loads, 1);
    EXPECT_EQ(Probe::unloads, 0);
    EXPECT_EQ(f.Text1.text(), "typed");
}

TEST_F(FormInstance, CloseRunsUnloadAndTheNextAccessBuildsAFreshWindow) {
    struct Case {
        const char* how;
        bool shown;
        std::function<void(Probe&)> close;
    };
    const Case cases[] = {
        {"the close box of a shown window", true, [](Probe& f) { f.window()->close(); }},
        {"unload of a shown window", true, [](Probe& f) { f.unload(); }},
        {"unload of a hidden window", false, [](Probe& f) { f.unload(); }},
    };
    for (const Case& c : cases) {
        resetCounts();
        Probe& f = ui::form<Probe>();
        f.Text1.setText("typed");
        if (c.shown) {
            ASSERT_TRUE(showAndExpose(f.window())) << c.how;
        }
        c.close(f);
        EXPECT_EQ(Probe::unloads, 1) << c.how;
        EXPECT_EQ(Probe::changes, 2) << c.how << ": Form_Unload still reaches the controls";
        EXPECT_FALSE(f.window()->isVisible()) << c.how;
        EXPECT_FALSE(ui::formLoaded<Probe>()) << c.how;
        runQueuedCalls();
        EXPECT_EQ(Probe::destroyed, 1) << c.how;

        Probe& fresh = ui::form<Probe>();
        EXPECT_EQ(Probe::loads, 2) << c.how;
        EXPECT_EQ(fresh.Text1.text(), "design") << c.how;
        EXPECT_FALSE(fresh.isShown()) << c.how;
        EXPECT_EQ(Probe::unloads, 1) << c.how;
        ui::discardForm<Probe>();
    }
}

TEST_F(FormInstance, DiscardDropsTheWindowWithoutUnload) {
    ui::form<Probe>();
    ui::discardForm<Probe>();
    EXPECT_FALSE(ui::formLoaded<Probe>());
    EXPECT_EQ(Probe::destroyed, 1);
    EXPECT_EQ(Probe::unloads, 0);
}

TEST_F(FormInstance, SizeWritesRunResizeOnlyWhenTheSizeChanges) {
    Probe& f = ui::form<Probe>();
    ASSERT_TRUE(showAndExpose(f.window()));
    runQueuedCalls();
    Probe::resizes = 0;
    const ui::Twips width = f.width(), height = f.height();
    f.setWidth(width);
    f.setHeight(height);
    EXPECT_EQ(Probe::resizes, 0);

    f.setWidth(ui::Twips(width.value + 600));
    runQueuedCalls();
    EXPECT_EQ(Probe::resizes, 1);
    EXPECT_EQ(f.width().value, width.value + 600);
    EXPECT_EQ(f.window()->width(), ui::Twips(f.clientWidth()).toPixels());
    f.setHeight(ui::Twips(height.value + 300));
    runQueuedCalls();
    EXPECT_EQ(Probe::resizes, 2);
    EXPECT_EQ(f.height().value, height.value + 300);
}

TEST_F(FormInstance, OperatorResizeOfASizableWindowRunsResizeOnce) {
    Probe& f = ui::form<Probe>();
    f.setBorderStyle(ui::BorderStyle::Sizable);
    ASSERT_TRUE(showAndExpose(f.window()));
    runQueuedCalls();
    Probe::resizes = 0;
    f.window()->resize(400, 300);
    runQueuedCalls();
    EXPECT_EQ(Probe::resizes, 1);
    EXPECT_EQ(f.clientWidth().value, 400 * ui::kTwipsPerPixel);
    EXPECT_EQ(f.clientHeight().value, 300 * ui::kTwipsPerPixel);
}

TEST_F(FormInstance, ExceptionInFormLoadIsReportedAndTheWindowStaysLoaded) {
    struct Failing : ui::Form {
        Failing() : Form("Failing") {}
        void Form_Load() override { throw ui::Error(QStringLiteral("Файл не найден.")); }
    };
    Failing& f = ui::form<Failing>();
    EXPECT_TRUE(f.isLoaded());
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_EQ(services->messages[0].text, "Файл не найден.");
    ui::discardForm<Failing>();
}

}  // namespace

namespace {
TEST_F(FormInstance, AWindowUnloadedInItsOwnHandlerLivesUntilThatHandlerReturns) {
    Probe& p = ui::form<Probe>();
    p.show();
    bool aliveAfterNestedLoop = false;
    // A handler that closes its window and then waits in a nested loop, as a message box would.
    p.Text1.onChange = [&] {
        p.unload();
        QEventLoop nested;
        QTimer::singleShot(0, &nested, &QEventLoop::quit);
        nested.exec();
        aliveAfterNestedLoop = Probe::destroyed == 0;
    };
    QTimer::singleShot(0, [&] { p.Text1.setText("typed"); });
    QEventLoop outer;
    QTimer::singleShot(20, &outer, &QEventLoop::quit);
    outer.exec();
    EXPECT_TRUE(aliveAfterNestedLoop);
    runQueuedCalls();
    EXPECT_EQ(Probe::destroyed, 1);
    EXPECT_FALSE(ui::formLoaded<Probe>());
}

// Tab skips what the operator cannot see or use, whatever the reason, and keeps to the given order.
TEST(TabOrder, SkipsHiddenClippedCoveredAndDisabledControlsAndFollowsTheGivenOrder) {
    ScriptedScope services;
    ui::Form form("Tabs");
    form.setClientSize(ui::Twips(6000), ui::Twips(6000));
    ui::TextBox first, hidden, clipped, covered, underClearLabel, disabled, last;
    ui::Frame frame, cover;
    ui::Label clearLabel;
    first.create(form, "first", {120, 120, 1200, 285});
    hidden.create(form, "hidden", {120, 600, 1200, 285});
    hidden.setVisible(false);
    frame.create(form, "frame", {120, 1080, 3000, 600});
    clipped.create(frame, "clipped", {120, 900, 1200, 285});
    covered.create(form, "covered", {120, 2040, 1200, 285});
    cover.create(form, "cover", {0, 1900, 3000, 600});
    underClearLabel.create(form, "underClearLabel", {120, 3000, 1200, 285});
    clearLabel.create(form, "clearLabel", {0, 2900, 3000, 600});
    clearLabel.setBackStyle(0);
    disabled.create(form, "disabled", {120, 3600, 1200, 285});
    disabled.setEnabled(false);
    last.create(form, "last", {120, 4200, 1200, 285});
    // Created from top to bottom, tabbed from the bottom up.
    form.setTabOrder({&last, &disabled, &underClearLabel, &covered, &clipped, &hidden, &first});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.window()));
    form.window()->activateWindow();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "last");
    QStringList walk;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walk, (QStringList{"underClearLabel", "first", "last"}));
    // Uncovered, the control takes its place in the order again.
    cover.setVisible(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "first");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "covered");
}

}  // namespace

namespace {
// Outer rectangles, frame included, in pixels: the student base centred at its design size (1107 x
// 514 and the frame), the main window and the value list editor centred (792 x 588, 871 x 489) and
// QR at its fixed place (its client area at 512, 280, 793 x 571).
QRect centred(QSize outer, const QRect& area) {
    return QRect(area.center() - QPoint(outer.width() / 2, outer.height() / 2), outer);
}
const QSize kBase(1115, 542), kMain(800, 616), kLists(879, 517);
const QRect kQR(508, 256, 801, 599);

TEST(ScreenFit, AWindowKeepsItsPlaceAndSizeWhereTheyFitElseMovesAndOnlyASizableOneShrinksJustEnough) {
    constexpr auto kSizable = ui::BorderStyle::Sizable, kFixed = ui::BorderStyle::FixedSingle;
    const QRect screen800(0, 0, 800, 600), screen1024(0, 0, 1024, 768), screen1366(0, 0, 1366, 768);
    struct Case {
        const char* what;
        ui::BorderStyle border;
        QRect area, outer, fitted;
    };
    const Case cases[] = {
        {"1024 x 768: the base is wider than the screen: the whole width, its height kept",
         kSizable,
         screen1024,
         centred(kBase, screen1024),
         {0, 112, 1024, 542}},
        {"1024 x 768: QR runs off right and below: moved left and up, its size kept",
         kFixed,
         screen1024,
         kQR,
         {223, 169, 801, 599}},
        {"1024 x 768: the main window fits as centred",
         kFixed,
         screen1024,
         centred(kMain, screen1024),
         {111, 75, 800, 616}},
        {"1366 x 768: the base fits as centred",
         kSizable,
         screen1366,
         centred(kBase, screen1366),
         {125, 112, 1115, 542}},
        {"1366 x 768: QR fits across and runs off below: moved up only",
         kFixed,
         screen1366,
         kQR,
         {508, 169, 801, 599}},
        {"1920 x 1080 with a taskbar below: QR at its fixed place", kFixed, {0, 0, 1920, 1040}, kQR, kQR},
        {"800 x 600: the base: the whole width, moved up and kept in height",
         kSizable,
         screen800,
         centred(kBase, screen800),
         {0, 28, 800, 542}},
        {"800 x 600: QR a pixel too wide: at the left edge, its size kept",
         kFixed,
         screen800,
         kQR,
         {0, 1, 801, 599}},
        {"800 x 600: the value list editor too wide: at the left edge, its size kept",
         kFixed,
         screen800,
         centred(kLists, screen800),
         {0, 41, 879, 517}},
        {"800 x 600: the main window too high: its title bar at the top, its size kept",
         kFixed,
         screen800,
         centred(kMain, screen800),
         {0, 0, 800, 616}},
        {"800 x 600 with a taskbar above: the main window's title bar just below it",
         kFixed,
         {0, 32, 800, 568},
         centred(kMain, {0, 32, 800, 568}),
         {0, 32, 800, 616}},
        {"a kept size beyond the screen both ways: the whole work area",
         kSizable,
         screen1024,
         {-300, -200, 2000, 1500},
         screen1024},
        {"a fixed window beyond the screen both ways: at its top-left corner, its size kept",
         kFixed,
         screen1024,
         {-300, -200, 2000, 1500},
         {0, 0, 2000, 1500}},
        {"a taskbar at the left and at the top: inside the work area, not the screen",
         kSizable,
         {48, 32, 976, 736},
         {0, 0, 400, 300},
         {48, 32, 400, 300}},
        {"half above the screen: moved down only",
         kFixed,
         screen1024,
         {100, -150, 400, 300},
         {100, 0, 400, 300}},
        {"a second screen to the right: back inside it",
         kFixed,
         {1024, 0, 1280, 1024},
         {2200, 900, 200, 200},
         {2104, 824, 200, 200}},
        {"a fixed window wider than the second screen: at that screen's left edge",
         kFixed,
         {1024, 0, 800, 600},
         {1100, 100, 879, 517},
         {1024, 83, 879, 517}},
        {"exactly the work area: unchanged", kSizable, screen1024, screen1024, screen1024},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::fitIntoArea(c.outer, c.area, c.border), c.fitted) << c.what;
}

class Sized : public ui::Form {
public:
    Sized(ui::BorderStyle border, float width, float height) : Form("Sized") {
        setBorderStyle(border);
        setClientSize(ui::Twips(width), ui::Twips(height));
        Corner.create(*this, "Corner", {width - 600, height - 300, 600, 300});
    }
    ui::TextBox Corner;
    int resizes = 0;

protected:
    void Form_Resize() override { ++resizes; }
};

// The window tests run on a 1024 x 768 screen.
class ScreenFitWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(area(), QRect(0, 0, 1024, 768)); }
    static QRect area() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Where a window placed by its frame's corner stands, frame included, as the fitting counts it.
    static QRect outer(const ui::Form& f) {
        return QRect(f.window()->pos(), f.window()->size().grownBy(ui::Form::kFrameMargins));
    }
    ScriptedScope services;
};

TEST_F(ScreenFitWindow, ASizableWindowTooWideForTheScreenOpensWhollyOnItAtTheSmallerSizeAndResizes) {
    Sized base(ui::BorderStyle::Sizable, 16605, 7710);
    base.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(base.window()));
    runQueuedCalls();
    EXPECT_EQ(outer(base), QRect(0, 112, 1024, 542));
    EXPECT_EQ(base.clientWidth().value, (1024 - 8) * 15);
    EXPECT_EQ(base.clientHeight().value, 7710) << "the height fitted and keeps its twips";
    EXPECT_EQ(base.width().value, 1024 * 15);
    EXPECT_EQ(base.resizes, 1);
    // A later show keeps the place the window has: the operator may have moved it.
    base.hide();
    base.window()->move(-200, 50);
    base.show();
    runQueuedCalls();
    EXPECT_EQ(base.window()->pos(), QPoint(-200, 50));
    EXPECT_EQ(base.resizes, 1);
}

TEST_F(ScreenFitWindow, AFixedWindowMovesOntoTheScreenAndOneLargerThanItKeepsItsSizeFromTheScreensCorner) {
    struct Case {
        const char* what;
        float width, height, left, top;  // client area, twips; its corner on the screen
        QRect outer;
    };
    const Case cases[] = {
        {"QR's size and fixed place: moved just enough", 11895, 8565, 7680, 4200, {223, 169, 801, 599}},
        {"a place and size that fit: kept", 6000, 4500, 1500, 3000, {96, 176, 408, 328}},
        {"larger than the screen: at its corner, its size kept",
         20000,
         15000,
         3000,
         1500,
         {0, 0, 1341, 1028}},
    };
    for (const Case& c : cases) {
        Sized f(ui::BorderStyle::FixedSingle, c.width, c.height);
        f.moveClientArea(ui::Twips(c.left), ui::Twips(c.top));
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window())) << c.what;
        runQueuedCalls();
        // Placed by its client area's corner, which stands inside the frame.
        EXPECT_EQ(f.window()->geometry(), c.outer.marginsRemoved(ui::Form::kFrameMargins)) << c.what;
        // The client area, which prints, and its controls keep their design.
        EXPECT_EQ(f.clientWidth().value, c.width) << c.what;
        EXPECT_EQ(f.clientHeight().value, c.height) << c.what;
        EXPECT_EQ(f.Corner.left().value, c.width - 600) << c.what;
        EXPECT_EQ(f.resizes, 0) << c.what;
    }
}

TEST_F(ScreenFitWindow, AWindowThatFitsOpensCentredAtItsDesignSize) {
    Sized f(ui::BorderStyle::Sizable, 9000, 6000);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window()));
    runQueuedCalls();
    EXPECT_EQ(outer(f), centred(QSize(608, 428), area()));
    EXPECT_EQ(f.clientWidth().value, 9000);
    EXPECT_EQ(f.clientHeight().value, 6000);
    EXPECT_EQ(f.resizes, 0);
}
}  // namespace
