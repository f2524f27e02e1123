// The three bars driven by the operator's mouse and keys: each step moves or sizes the picture by
// exactly the bar's step in twips, and the close writes the place they left.
#include <QScrollBar>

#include "qr_fixture.h"
#include "support/scroll_bar_parts.h"

namespace {

QScrollBar* qbar(ui::ScrollBar& b) {
    return static_cast<QScrollBar*>(b.widget());
}

class BarsTest : public QRTest {
protected:
    void SetUp() override {
        QRTest::SetUp();
        writePositionFile("2760\r\n4440\r\n1575\r\n1575\r\n");
    }

    struct Bar {
        const char* name;
        ui::ScrollBar& bar;
        int place;  // the index into placeOf that the bar moves; the size bar moves two
    };
    static std::vector<Bar> barsOf(qr::QR& w) {
        return {{"top", w.ScrollBar1, 0}, {"left", w.ScrollBar2, 1}, {"size", w.ScrollBar3, 2}};
    }

    // The picture agrees with every bar: Top, Left and a square of the size bar's value, and each
    // box holds its bar's value as text.
    static void expectPictureFollowsTheBars(const qr::QR& w) {
        const float top = w.ScrollBar1.value(), left = w.ScrollBar2.value(), size = w.ScrollBar3.value();
        EXPECT_EQ(placeOf(w), (std::array<float, 4>{top, left, size, size}));
        EXPECT_EQ(
            boxesOf(w),
            (QStringList{QString::number(w.ScrollBar1.value()), QString::number(w.ScrollBar2.value()),
                         QString::number(w.ScrollBar3.value()), QString::number(w.ScrollBar3.value())}));
    }
};

TEST_F(BarsTest, ArrowAndTrackClicksMoveThePictureByExactlyTheStep) {
    struct Click {
        const char* what;
        QStyle::SubControl part;
        int step;
    };
    const Click clicks[] = {
        {"add arrow", QStyle::SC_ScrollBarAddLine, 20},
        {"sub arrow", QStyle::SC_ScrollBarSubLine, -20},
        {"track after the thumb", QStyle::SC_ScrollBarAddPage, 500},
        {"track before the thumb", QStyle::SC_ScrollBarSubPage, -500},
    };
    qr::QR& w = start();
    for (const Bar& b : barsOf(w)) {
        ui::ScrollBar& bar = b.bar;
        for (const Click& c : clicks) {
            SCOPED_TRACE(std::string(b.name) + " bar, " + c.what);
            const std::array<float, 4> before = placeOf(w);
            const int value = bar.value();
            QTest::mouseClick(qbar(bar), Qt::LeftButton, {}, scrollBarPart(qbar(bar), c.part).center());
            EXPECT_EQ(bar.value(), value + c.step);
            std::array<float, 4> expected = before;
            if (b.place < 2)
                expected[size_t(b.place)] += float(c.step);
            else  // the size grows right and down: Top and Left stay
                expected[2] = expected[3] = float(value + c.step);
            EXPECT_EQ(placeOf(w), expected);
            expectPictureFollowsTheBars(w);
        }
    }
}

TEST_F(BarsTest, TheThumbDraggedMovesThePictureAtEveryPositionAndStopsAtTheEnds) {
    qr::QR& w = start();
    for (const Bar& b : barsOf(w)) {
        SCOPED_TRACE(b.name);
        ui::ScrollBar& bar = b.bar;
        QScrollBar* q = qbar(bar);
        const bool horizontal = q->orientation() == Qt::Horizontal;
        const QPoint from = scrollBarPart(q, QStyle::SC_ScrollBarSlider).center();
        const auto along = [&](int d) { return horizontal ? from + QPoint(d, 0) : from + QPoint(0, d); };
        std::vector<int> seen;
        QTest::mousePress(q, Qt::LeftButton, {}, from);
        for (int d : {6, 12, 30, -40, 5000, -5000, 9}) {
            QTest::mouseMove(q, along(d));
            // The picture follows the thumb while it is held, not only at the release.
            expectPictureFollowsTheBars(w);
            seen.push_back(bar.value());
        }
        QTest::mouseRelease(q, Qt::LeftButton, {}, along(9));
        expectPictureFollowsTheBars(w);
        EXPECT_EQ(seen[4], bar.max());
        EXPECT_EQ(seen[5], bar.min());
        EXPECT_LT(seen[0], seen[1]) << "the picture moves on with the thumb";
    }
    // Dragged down (or right) the picture moves down, right, or grows.
    const std::array<float, 4> before = placeOf(w);
    QScrollBar* q = qbar(w.ScrollBar1);
    const QPoint from = scrollBarPart(q, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(q, Qt::LeftButton, {}, from);
    QTest::mouseMove(q, from + QPoint(0, 20));
    QTest::mouseRelease(q, Qt::LeftButton, {}, from + QPoint(0, 20));
    EXPECT_GT(placeOf(w)[0], before[0]);
}

TEST_F(BarsTest, KeysOnAFocusedBarMoveThePictureByTheSteps) {
    qr::QR& w = start();
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Right, 20}, {Qt::Key_Left, -20}, {Qt::Key_PageDown, 500}, {Qt::Key_PageUp, -500}};
    for (const Bar& b : barsOf(w)) {
        ui::ScrollBar& bar = b.bar;
        for (const auto& [key, step] : keys) {
            SCOPED_TRACE(std::string(b.name) + " key " + std::to_string(key));
            const int value = bar.value();
            QTest::keyClick(qbar(bar), key);
            EXPECT_EQ(bar.value(), value + step);
            expectPictureFollowsTheBars(w);
        }
    }
}

TEST_F(BarsTest, TheTabOrderRunsFromThePathBoxThroughTheThreeBars) {
    qr::QR& w = start();
    w.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window()));
    w.Text1.widget()->setFocus();
    std::vector<QWidget*> order{QApplication::focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{w.Text1.widget(), w.ScrollBar1.widget(), w.ScrollBar2.widget(),
                                            w.ScrollBar3.widget(), w.Text1.widget()}));
}

TEST_F(BarsTest, TheCloseWritesThePlaceTheBarsLeftByteForByte) {
    qr::QR& w = start();
    QTest::mouseClick(qbar(w.ScrollBar1), Qt::LeftButton, {},
                      scrollBarPart(qbar(w.ScrollBar1), QStyle::SC_ScrollBarAddLine).center());
    QTest::mouseClick(qbar(w.ScrollBar2), Qt::LeftButton, {},
                      scrollBarPart(qbar(w.ScrollBar2), QStyle::SC_ScrollBarSubPage).center());
    QTest::mouseClick(qbar(w.ScrollBar3), Qt::LeftButton, {},
                      scrollBarPart(qbar(w.ScrollBar3), QStyle::SC_ScrollBarAddPage).center());
    close();
    EXPECT_EQ(positionFile(), QByteArray("2780\r\n3940\r\n2075\r\n2075\r\n"));
}

TEST_F(BarsTest, ASizeOfOneThousandWithAWiderPictureBecomesSquareAtTheFirstSizeStep) {
    writePositionFile("100\r\n200\r\n1000\r\n2000\r\n");
    qr::QR& w = start();
    EXPECT_EQ(placeOf(w), (std::array<float, 4>{100, 200, 1000, 2000}));
    QTest::mouseClick(qbar(w.ScrollBar3), Qt::LeftButton, {},
                      scrollBarPart(qbar(w.ScrollBar3), QStyle::SC_ScrollBarAddLine).center());
    EXPECT_EQ(placeOf(w), (std::array<float, 4>{100, 200, 1020, 1020}));
}

}  // namespace
