// The QR window as it opens: title, fixed size and place, its controls' design, and the start
// style that the program which started it asked for.
#include <QScrollBar>

#include "qr_fixture.h"
#include "support/shown_boxes.h"

namespace {

class WindowTest : public QRTest {};

TEST_F(WindowTest, TheWindowOpensAtItsFixedPlaceAndSizeWithItsDesignControls) {
    qr::QR& w = start();
    EXPECT_EQ(w.caption(), QStringLiteral("QR"));
    EXPECT_EQ(w.window()->windowTitle(), QStringLiteral("QR"));
    EXPECT_EQ(w.clientWidth().value, 11895);
    EXPECT_EQ(w.clientHeight().value, 8565);
    // 11895 × 8565 twips at 15 a pixel, and no way to resize it.
    EXPECT_EQ(w.window()->minimumSize(), QSize(793, 571));
    EXPECT_EQ(w.window()->maximumSize(), QSize(793, 571));
    EXPECT_FALSE(w.window()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.window()->windowFlags() & Qt::WindowMaximizeButtonHint);
    // The client area's top-left corner at 7680, 4200 twips on the screen (512, 280) would put the
    // bottom bar and the path box below this 1024 x 768 screen and the print button past its right
    // edge: the window, frame included, moves up and left just far enough to lie wholly on it.
    const QRect fixedPlace(512, 280, 793, 571);
    EXPECT_EQ(w.window()->geometry(), fixedPlace.translated(-285, -87));
    EXPECT_EQ(w.window()->frameGeometry().marginsAdded(ui::Form::kFrameMargins).bottomRight(),
              QPoint(1023, 767));
    EXPECT_FALSE(w.window()->isMinimized());

    struct Design {
        const ui::Control* control;
        ui::TwipsRect place;
    };
    // clang-format off
    const Design designs[] = {
        {&w.Image5, {120, 120, 525, 525}}, {&w.Image2, {10920, 120, 525, 525}},
        {&w.Text1, {120, 7800, 11295, 285}},
        {&w.ScrollBar1, {11640, 120, 255, 8175}}, {&w.ScrollBar2, {0, 8280, 11655, 255}},
        {&w.ScrollBar3, {3960, 120, 4095, 255}},
    };
    // clang-format on
    for (const Design& d : designs) {
        const ui::TwipsRect& r = d.control->rect();
        EXPECT_TRUE(r == d.place) << d.control->name().toStdString() << " at " << r.left.value << ","
                                  << r.top.value << " " << r.width.value << " x " << r.height.value;
    }
    EXPECT_TRUE(w.Text1.text().isEmpty());
    EXPECT_TRUE(w.Image1.picture().isNull());
    EXPECT_EQ(w.Text6.text(), QStringLiteral("Text6"));
    // clang-format off
    const std::tuple<const ui::ScrollBar*, int, int> ranges[] = {
        {&w.ScrollBar1, 0, 6567}, {&w.ScrollBar2, 0, 10200}, {&w.ScrollBar3, 1000, 3000}};
    // clang-format on
    for (const auto& [bar, min, max] : ranges) {
        EXPECT_EQ(bar->min(), min) << bar->name().toStdString();
        EXPECT_EQ(bar->max(), max) << bar->name().toStdString();
        EXPECT_EQ(bar->smallChange(), 20) << bar->name().toStdString();
        EXPECT_EQ(bar->largeChange(), 500) << bar->name().toStdString();
    }
    EXPECT_EQ(static_cast<QScrollBar*>(w.ScrollBar1.widget())->orientation(), Qt::Vertical);
}

TEST_F(WindowTest, StartedMinimisedByItsStarterTheFirstShowIsMinimisedAndLaterOnesNormal) {
    qputenv("VELMOX_START_STYLE", "minimized");
    qr::QR& w = ui::form<qr::QR>();
    EXPECT_TRUE(w.window()->isMinimized());
    EXPECT_TRUE(w.window()->isVisible());
    EXPECT_FALSE(qEnvironmentVariableIsSet("VELMOX_START_STYLE"))
        << "a started program passes it on to nobody";
    // The start ran all the same: the position file was read, the skin applied.
    EXPECT_EQ(w.ScrollBar1.value(), 2760);
    EXPECT_EQ(w.backColor(), 0x00FBE3C8u);
    ui::discardForm<qr::QR>();
    runQueuedCalls();

    qr::QR& again = ui::form<qr::QR>();
    EXPECT_FALSE(again.window()->isMinimized());
    EXPECT_TRUE(again.window()->isVisible());
}

// A box about the start belongs to the QR window and leaves it active; under a window started
// minimised it stands alone, so that it is seen, and the window stays as its starter asked.
TEST_F(WindowTest, ABoxAboutTheStartIsShownForTheQRWindowWhichIsActiveAfterIt) {
    for (const bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "started minimised" : "started normally");
        auto boxes = std::make_unique<ui::ShownBoxes>();
        ui::ShownBoxes& shown = *boxes;
        ui::setServices(std::move(boxes));
        writePositionFile("2760\r\nabc\r\n1575\r\n1575\r\n");
        if (minimised) qputenv("VELMOX_START_STYLE", "minimized");
        qr::QR& w = ui::form<qr::QR>();
        ASSERT_EQ(shown.shown.size(), 1u);
        EXPECT_TRUE(shown.messages[0].all().contains(QStringLiteral("в строке 2 не число: «abc»")));
        EXPECT_TRUE(shown.shown[0].modal);
        if (minimised) {
            EXPECT_EQ(shown.shown[0].owner, nullptr);
            EXPECT_TRUE(w.window()->isMinimized());
        } else {
            EXPECT_EQ(shown.shown[0].owner, w.window());
            EXPECT_TRUE(QTest::qWaitForWindowActive(w.window()));
        }
        ui::discardForm<qr::QR>();
        runQueuedCalls();
    }
}

}  // namespace
