#pragma once
// The main window on a program folder that also holds the built skin pictures, shown on the
// (offscreen) screen so mouse events reach its controls as an operator's would.
#include <QFile>
#include <QImage>
#include <QTest>
#include <QWindow>

#include "main_window/vazed_fixture.h"

class SkinnedVazedTest : public VazedTest {
protected:
    void SetUp() override {
        VazedTest::SetUp();
        folder.copyFrom(QStringLiteral(VELMOX_PROGRAM_DIR), QStringLiteral("image"));
        ASSERT_TRUE(folder.exists("image\\Skin4\\40.jpg")) << "the build has drawn no skin pictures";
    }

    // The skin picture as a file holds it, for comparing with what a control shows.
    QImage shipped(int skinFolder, int number) const {
        return QImage(folder.file(QStringLiteral("image\\Skin%1\\%2.jpg").arg(skinFolder).arg(number)))
            .convertToFormat(QImage::Format_RGB32);
    }
    static QImage shown(const ui::PictureBox& p) {
        return p.picture().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Starts the program and puts its window on the screen.
    velmox::Vazed& startShown() {
        velmox::Vazed& v = start();
        v.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(v.window()));
        return v;
    }
    static QWindow* windowOf(velmox::Vazed& v) { return v.window()->windowHandle(); }
    // The middle of a control, in the window's pixels.
    static QPoint middleOf(const ui::Control& c) {
        return c.widget()->mapTo(c.widget()->window(), c.widget()->rect().center());
    }
    // Two steps inside the control: the window system drops a move to where the pointer already is.
    static void moveOver(velmox::Vazed& v, const ui::Control& c) {
        QTest::mouseMove(windowOf(v), middleOf(c) + QPoint(1, 1));
        QTest::mouseMove(windowOf(v), middleOf(c));
    }
};
