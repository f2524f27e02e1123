// Scroll bars driven by the mouse and the keyboard: which handler runs, with which Value.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>

#include "operator.h"
#include "platform/controls.h"
#include "support/scroll_bar_parts.h"

namespace {

QRect partOf(const QScrollBar* b, QStyle::SubControl part) {
    return scrollBarPart(b, part);
}

class ScrollBars : public testing::Test {
protected:
    void SetUp() override {
        HScroll1.create(form, "HScroll1", {120, 120, 3600, 255});
        VScroll1.create(form, "VScroll1", {4000, 120, 255, 3600});
        for (ui::ScrollBar* b : bars()) {
            b->setRange(0, 100);
            b->setSmallChange(1);
            b->setLargeChange(10);
            b->setValue(50);
            b->onChange = [this, b] { changes.push_back(b->value()); };
            b->onScroll = [this, b] { scrolls.push_back(b->value()); };
        }
        ASSERT_TRUE(showAndExpose(form.window()));
        changes.clear();
    }
    std::vector<ui::ScrollBar*> bars() { return {&HScroll1, &VScroll1}; }
    static QScrollBar* qbar(ui::ScrollBar* b) { return static_cast<QScrollBar*>(b->widget()); }
    void reset(ui::ScrollBar* b, int value) {
        b->setValue(value);
        changes.clear();
        scrolls.clear();
    }

    ScriptedScope services;
    ui::Form form{"Bars"};
    ui::HScrollBar HScroll1;
    ui::VScrollBar VScroll1;
    std::vector<int> changes, scrolls;
};

TEST_F(ScrollBars, ArrowAndTrackClicksRunChangeOnceWithTheNewValue) {
    struct Case {
        const char* what;
        QStyle::SubControl part;
        int from, to;
    };
    const Case cases[] = {
        {"add arrow", QStyle::SC_ScrollBarAddLine, 50, 51},
        {"sub arrow", QStyle::SC_ScrollBarSubLine, 50, 49},
        {"track after the thumb", QStyle::SC_ScrollBarAddPage, 50, 60},
        {"track before the thumb", QStyle::SC_ScrollBarSubPage, 50, 40},
        {"track near Max stops at Max", QStyle::SC_ScrollBarAddPage, 95, 100},
        {"track near Min stops at Min", QStyle::SC_ScrollBarSubPage, 4, 0},
    };
    for (ui::ScrollBar* b : bars()) {
        for (const Case& c : cases) {
            reset(b, c.from);
            const QRect r = partOf(qbar(b), c.part);
            ASSERT_FALSE(r.isEmpty()) << b->name().toStdString() << " " << c.what;
            QTest::mouseClick(qbar(b), Qt::LeftButton, {}, r.center());
            EXPECT_EQ(changes, std::vector<int>{c.to}) << b->name().toStdString() << " " << c.what;
            EXPECT_TRUE(scrolls.empty()) << b->name().toStdString() << " " << c.what;
            EXPECT_EQ(b->value(), c.to) << b->name().toStdString() << " " << c.what;
        }
    }
}

TEST_F(ScrollBars, ArrowClickAtTheEndOfTheRangeRunsNothing) {
    struct Case {
        QStyle::SubControl part;
        int at;
    };
    for (ui::ScrollBar* b : bars()) {
        for (const Case& c : {Case{QStyle::SC_ScrollBarAddLine, 100}, Case{QStyle::SC_ScrollBarSubLine, 0}}) {
            reset(b, c.at);
            QTest::mouseClick(qbar(b), Qt::LeftButton, {}, partOf(qbar(b), c.part).center());
            EXPECT_TRUE(changes.empty()) << b->name().toStdString() << " at " << c.at;
            EXPECT_EQ(b->value(), c.at);
        }
    }
}

TEST_F(ScrollBars, KeysRunChangeWithTheValueTheyMoveTo) {
    struct Case {
        const char* bar;
        Qt::Key key;
        int from, to;
    };
    const Case cases[] = {
        {"HScroll1", Qt::Key_Right, 50, 51},     {"HScroll1", Qt::Key_Left, 50, 49},
        {"HScroll1", Qt::Key_PageDown, 50, 60},  {"HScroll1", Qt::Key_PageUp, 50, 40},
        {"HScroll1", Qt::Key_Home, 50, 0},       {"HScroll1", Qt::Key_End, 50, 100},
        {"HScroll1", Qt::Key_PageDown, 97, 100}, {"HScroll1", Qt::Key_Right, 100, 100},
        {"HScroll1", Qt::Key_Down, 50, 51},      {"VScroll1", Qt::Key_Down, 50, 51},
        {"VScroll1", Qt::Key_Right, 50, 51},     {"VScroll1", Qt::Key_Left, 50, 49},
        {"VScroll1", Qt::Key_Up, 50, 49},        {"VScroll1", Qt::Key_PageDown, 50, 60},
        {"VScroll1", Qt::Key_PageUp, 50, 40},    {"VScroll1", Qt::Key_Home, 50, 0},
        {"VScroll1", Qt::Key_End, 50, 100},      {"VScroll1", Qt::Key_PageUp, 3, 0},
    };
    for (const Case& c : cases) {
        ui::ScrollBar* b =
            c.bar == std::string("HScroll1") ? static_cast<ui::ScrollBar*>(&HScroll1) : &VScroll1;
        reset(b, c.from);
        QTest::keyClick(qbar(b), c.key);
        const std::vector<int> expected = c.from == c.to ? std::vector<int>{} : std::vector<int>{c.to};
        EXPECT_EQ(changes, expected) << c.bar << " key " << c.key << " from " << c.from;
        EXPECT_EQ(b->value(), c.to) << c.bar << " key " << c.key << " from " << c.from;
    }
}

TEST_F(ScrollBars, ClickOnTheBarTakesTheKeyboardSoKeysReachIt) {
    form.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.window()));
    for (ui::ScrollBar* b : bars()) {
        reset(b, 50);
        QTest::mouseClick(qbar(b), Qt::LeftButton, {}, partOf(qbar(b), QStyle::SC_ScrollBarSlider).center());
        ASSERT_EQ(QApplication::focusWidget(), qbar(b)) << b->name().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        EXPECT_EQ(changes, std::vector<int>{51}) << b->name().toStdString();
    }
}

TEST_F(ScrollBars, DraggingTheThumbRunsScrollForEachPositionAndOneChangeAtRelease) {
    for (ui::ScrollBar* b : bars()) {
        const std::string name = b->name().toStdString();
        reset(b, 50);
        QScrollBar* q = qbar(b);
        const bool horizontal = q->orientation() == Qt::Horizontal;
        const QPoint start = partOf(q, QStyle::SC_ScrollBarSlider).center();
        const auto along = [&](int d) { return horizontal ? start + QPoint(d, 0) : start + QPoint(0, d); };

        QTest::mousePress(q, Qt::LeftButton, {}, start);
        for (int d : {10, 20, 30}) QTest::mouseMove(q, along(d));
        ASSERT_EQ(scrolls.size(), 3u) << name;
        EXPECT_TRUE(std::is_sorted(scrolls.begin(), scrolls.end())) << name;
        EXPECT_GT(scrolls.front(), 50) << name;
        EXPECT_TRUE(changes.empty()) << name << ": no Change while the thumb is held";

        // Far past the end of the bar the Value stays at Max, and back past the start at Min.
        QTest::mouseMove(q, along(2000));
        EXPECT_EQ(b->value(), 100) << name;
        QTest::mouseMove(q, along(-2000));
        EXPECT_EQ(b->value(), 0) << name;
        QTest::mouseMove(q, along(15));
        const int last = b->value();
        QTest::mouseRelease(q, Qt::LeftButton, {}, along(15));

        EXPECT_EQ(changes, std::vector<int>{last}) << name;
        EXPECT_EQ(scrolls.back(), last) << name;
        for (int v : scrolls) EXPECT_TRUE(v >= 0 && v <= 100) << name << " scrolled to " << v;
    }
}

TEST_F(ScrollBars, DragThatEndsWhereItStartedRunsNoChange) {
    QScrollBar* q = qbar(&HScroll1);
    const QPoint start = partOf(q, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(q, Qt::LeftButton, {}, start);
    QTest::mouseMove(q, start + QPoint(20, 0));
    QTest::mouseMove(q, start);
    QTest::mouseRelease(q, Qt::LeftButton, {}, start);
    EXPECT_EQ(scrolls.size(), 2u);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(HScroll1.value(), 50);
}

TEST_F(ScrollBars, CodeWriteOutsideTheRangeThrowsAndKeepsTheValue) {
    for (ui::ScrollBar* b : bars()) {
        for (int bad : {-1, 101, 32767, -32768}) {
            EXPECT_THROW(b->setValue(bad), std::out_of_range) << bad;
            EXPECT_EQ(b->value(), 50);
            EXPECT_EQ(qbar(b)->value(), 50);
        }
    }
    EXPECT_TRUE(changes.empty());
    for (int edge : {0, 100}) {
        HScroll1.setValue(edge);
        EXPECT_EQ(HScroll1.value(), edge);
    }
}

TEST_F(ScrollBars, NarrowingTheRangeMovesTheValueInsideIt) {
    HScroll1.setRange(0, 20);
    EXPECT_EQ(HScroll1.value(), 20);
    EXPECT_EQ(qbar(&HScroll1)->value(), 20);
    HScroll1.setRange(30, 60);
    EXPECT_EQ(HScroll1.value(), 30);
    EXPECT_EQ(qbar(&HScroll1)->value(), 30);
}

}  // namespace

TEST_F(ScrollBars, AQuietWriteShowsTheValueWithoutChangeAndStillRefusesOutsideTheRange) {
    for (ui::ScrollBar* b : bars()) {
        reset(b, 50);
        b->setValueWithoutChange(100);
        EXPECT_EQ(b->value(), 100);
        EXPECT_EQ(qbar(b)->value(), 100);
        EXPECT_THROW(b->setValueWithoutChange(101), std::out_of_range);
        EXPECT_EQ(b->value(), 100);
        // The operator's next step starts from the quietly shown Value.
        QTest::keyClick(qbar(b), Qt::Key_Left);
        EXPECT_EQ(changes, std::vector<int>{99}) << b->name().toStdString();
        changes.clear();
    }
}
