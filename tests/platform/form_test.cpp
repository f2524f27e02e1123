// The global window instance: loaded hidden on first access, fresh again after a close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "operator.h"
#include "platform/controls.h"

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
        void Form_Load() override { throw std::runtime_error("Файл не найден."); }
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
