// The layout editor under real mouse events: the bars clicked and dragged where they stand on the
// window, the moves carried into "1.xml" by the close, and the window dragged by its font caption.
#include <QDir>

#include "main_window/layout_fixture.h"
#include "platform/paths.h"

using velmox::Vazed;

namespace {

// The pointer in screen pixels, turned into the window's own pixels wherever the window now is.
QPoint inWindow(const Vazed& v, QPoint screen) {
    return v.window()->windowHandle()->mapFromGlobal(screen);
}

}  // namespace

TEST_F(LayoutTest, MovesByMouseAndKeyReachOneXmlThroughTheCloseAndTheNextStartPlacesTheField) {
    Vazed& v = startShown();
    clickOn(v, v.Image15);
    clickOn(v, v.Label1);
    ASSERT_EQ(v.Text100.text(), "1");
    ASSERT_EQ(v.HScroll1.value(), 1800);
    ASSERT_EQ(v.VScroll1.value(), 3360);

    struct Step {
        const char* what;
        const ui::ScrollBar* bar;
        QStyle::SubControl part;
        int by;
    };
    // clang-format off
    const Step steps[] = {
        {"right arrow", &v.HScroll1, QStyle::SC_ScrollBarAddLine, 20},
        {"track right of the thumb", &v.HScroll1, QStyle::SC_ScrollBarAddPage, 500},
        {"left arrow", &v.HScroll1, QStyle::SC_ScrollBarSubLine, -20},
        {"lower arrow", &v.VScroll1, QStyle::SC_ScrollBarAddLine, 20},
        {"track above the thumb", &v.VScroll1, QStyle::SC_ScrollBarSubPage, -500},
        {"track below the thumb", &v.VScroll1, QStyle::SC_ScrollBarAddPage, 500},
    };
    // clang-format on
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const bool across = s.bar == &v.HScroll1;
        const float before = across ? v.Label1.left().value : v.Label1.top().value;
        clickPart(v, *s.bar, s.part);
        const float after = across ? v.Label1.left().value : v.Label1.top().value;
        EXPECT_EQ(after - before, float(s.by));
        EXPECT_EQ(after, float(s.bar->value()));
    }

    // A key on the focused bar moves the field as well.
    const float beforeKey = v.Label1.top().value;
    QTest::keyClick(qbar(v.VScroll1), Qt::Key_Down);
    EXPECT_EQ(v.Label1.top().value, beforeKey + 20);

    // The thumb dragged: the label follows every position and stands at the last one.
    QScrollBar* h = qbar(v.HScroll1);
    const QPoint thumb = h->mapTo(v.window(), scrollBarPart(h, QStyle::SC_ScrollBarSlider).center());
    QTest::mousePress(windowOf(v), Qt::LeftButton, {}, thumb);
    std::vector<float> followed;
    for (int dx : {10, 25, 40}) {
        QTest::mouseMove(windowOf(v), thumb + QPoint(dx, 0));
        followed.push_back(v.Label1.left().value);
        EXPECT_EQ(followed.back(), float(v.HScroll1.value())) << "dragged by " << dx;
    }
    QTest::mouseRelease(windowOf(v), Qt::LeftButton, {}, thumb + QPoint(40, 0));
    EXPECT_TRUE(std::is_sorted(followed.begin(), followed.end()));
    EXPECT_GT(followed.front(), 2300);
    const int top = v.VScroll1.value(), left = v.HScroll1.value();
    EXPECT_EQ(v.Label1.left().value, float(left));

    clickOn(v, v.Image18);
    close();

    workbook::Workbook shipped, saved;
    shipped.loadFromBytes(shippedLayout());
    saved.load(folder.file("1.xml"));
    QStringList expected = allCells(shipped);
    expected.replace(expected.indexOf("Sheet1!R1C3=3360"), QStringLiteral("Sheet1!R1C3=%1").arg(top));
    expected.replace(expected.indexOf("Sheet1!R1C5=1800"), QStringLiteral("Sheet1!R1C5=%1").arg(left));
    EXPECT_EQ(allCells(saved), expected);
    // Byte for byte, only the two cells of the moved field changed: row 1 is the file's first row.
    QByteArray moved = shippedLayout();
    for (const auto& [from, to] : {std::pair{3360, top}, std::pair{1800, left}}) {
        const QByteArray was = "<ss:Data ss:Type=\"Number\">" + QByteArray::number(from) + "</ss:Data>";
        moved.replace(moved.indexOf(was), was.size(),
                      "<ss:Data ss:Type=\"Number\">" + QByteArray::number(to) + "</ss:Data>");
    }
    EXPECT_EQ(folder.read("1.xml"), moved);

    Vazed& again = start();
    EXPECT_EQ(again.Label1.top().value, top);
    EXPECT_EQ(again.Label1.left().value, left);
    EXPECT_EQ(again.Label2.top().value, 3720);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, TheBarsMoveNothingUntilAFieldIsSelected) {
    Vazed& v = startShown();
    clickOn(v, v.Image15);
    const QStringList before = placesAndCells(v);
    clickPart(v, v.HScroll1, QStyle::SC_ScrollBarAddLine);
    clickPart(v, v.VScroll1, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(v.HScroll1.value(), 20);
    EXPECT_EQ(v.VScroll1.value(), 1820);
    EXPECT_EQ(placesAndCells(v), before);
}

TEST_F(LayoutTest, DraggingTheFontCaptionMovesTheWindowByThePointersDeltaWithAnyButtonUntilRelease) {
    Vazed& v = startShown();
    const QSize size = v.window()->size();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(int(button));
        v.move(ui::Twips(1500), ui::Twips(1500));
        QCoreApplication::processEvents();
        const QPoint start = v.window()->pos();
        QPoint pointer = v.window()->windowHandle()->mapToGlobal(middleOf(v.Label73));
        QTest::mousePress(windowOf(v), button, {}, inWindow(v, pointer));
        // 20 and 10 pixels: 300 twips right and 150 down, still over the label.
        QPoint moved;
        for (QPoint by : {QPoint(20, 10), QPoint(-3, 2), QPoint(200, 150), QPoint(-150, -60)}) {
            pointer += by;
            moved += by;
            QTest::mouseMove(windowOf(v), inWindow(v, pointer));
            QCoreApplication::processEvents();
            EXPECT_EQ(v.window()->pos(), start + moved) << "after a move by " << by.x() << "," << by.y();
        }
        EXPECT_EQ(v.left().value, float(start.x() + moved.x()) * 15);
        QTest::mouseRelease(windowOf(v), button, {}, inWindow(v, pointer));
        const QPoint released = v.window()->pos();
        QTest::mouseMove(windowOf(v), inWindow(v, pointer + QPoint(30, 30)));
        QCoreApplication::processEvents();
        EXPECT_EQ(v.window()->pos(), released);
        EXPECT_EQ(v.window()->size(), size);
    }
}

TEST_F(LayoutTest, AMoveOverTheFontCaptionWithoutAPressLeavesTheWindowAndNothingKeepsItOnTheScreen) {
    Vazed& v = startShown();
    v.move(ui::Twips(300), ui::Twips(300));
    QCoreApplication::processEvents();
    const QPoint start = v.window()->pos();
    QTest::mouseMove(windowOf(v), middleOf(v.Label73));
    QTest::mouseMove(windowOf(v), middleOf(v.Label73) + QPoint(5, 3));
    QCoreApplication::processEvents();
    EXPECT_EQ(v.window()->pos(), start);

    QPoint pointer = v.window()->windowHandle()->mapToGlobal(middleOf(v.Label73));
    QTest::mousePress(windowOf(v), Qt::LeftButton, {}, inWindow(v, pointer));
    pointer += QPoint(-200, -150);
    QTest::mouseMove(windowOf(v), inWindow(v, pointer));
    QTest::mouseRelease(windowOf(v), Qt::LeftButton, {}, inWindow(v, pointer));
    QCoreApplication::processEvents();
    // The offscreen platform shifts a window beyond the screen's top-left corner by its 2-pixel
    // frame; a real display puts it exactly there.
    const QPoint off = v.window()->pos() - (start + QPoint(-200, -150));
    EXPECT_LE(off.manhattanLength(), 4);
    EXPECT_LT(v.window()->pos().x(), 0);
    EXPECT_LT(v.window()->pos().y(), 0);
}

TEST_F(LayoutTest, ReleasingOneOfTwoPressedButtonsEndsTheDrag) {
    Vazed& v = startShown();
    v.move(ui::Twips(1500), ui::Twips(1500));
    QCoreApplication::processEvents();
    const QPoint start = v.window()->pos();
    QPoint pointer = v.window()->windowHandle()->mapToGlobal(middleOf(v.Label73));
    QTest::mousePress(windowOf(v), Qt::LeftButton, {}, inWindow(v, pointer));
    QTest::mousePress(windowOf(v), Qt::RightButton, {}, inWindow(v, pointer));
    pointer += QPoint(10, 5);
    QTest::mouseMove(windowOf(v), inWindow(v, pointer));
    QCoreApplication::processEvents();
    ASSERT_EQ(v.window()->pos(), start + QPoint(10, 5));
    QTest::mouseRelease(windowOf(v), Qt::RightButton, {}, inWindow(v, pointer));
    QTest::mouseMove(windowOf(v), inWindow(v, pointer + QPoint(30, 30)));
    QCoreApplication::processEvents();
    EXPECT_EQ(v.window()->pos(), start + QPoint(10, 5));
    QTest::mouseRelease(windowOf(v), Qt::LeftButton, {}, inWindow(v, pointer + QPoint(30, 30)));
}
