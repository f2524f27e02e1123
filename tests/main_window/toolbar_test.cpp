// The toolbar's hover pictures, driven by real mouse events, and the QR button.
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>

#include "main_window/skinned_fixture.h"

using velmox::Vazed;

namespace {

struct Button {
    const char* name;
    ui::PictureBox Vazed::*button;
    ui::PictureBox Vazed::*normal;
    ui::PictureBox Vazed::*hover;
};
const Button kButtons[9] = {
    {"Image1", &Vazed::Image1, &Vazed::Image2, &Vazed::Image3},
    {"Image201", &Vazed::Image201, &Vazed::Image203, &Vazed::Image202},
    {"Image4", &Vazed::Image4, &Vazed::Image5, &Vazed::Image6},
    {"Image15", &Vazed::Image15, &Vazed::Image16, &Vazed::Image17},
    {"Image18", &Vazed::Image18, &Vazed::Image19, &Vazed::Image20},
    {"Image24", &Vazed::Image24, &Vazed::Image25, &Vazed::Image26},
    {"Image21", &Vazed::Image21, &Vazed::Image22, &Vazed::Image23},
    {"Image10", &Vazed::Image10, &Vazed::Image11, &Vazed::Image12},
    {"Image7", &Vazed::Image7, &Vazed::Image8, &Vazed::Image9},
};

// What each button shows, in the order of kButtons: 'n' its normal picture, 'h' its hover
// picture, '-' anything else.
std::string showing(const Vazed& v) {
    auto image = [](const ui::PictureBox& p) { return p.picture().toImage(); };
    std::string s;
    for (const Button& b : kButtons) {
        const QImage shown = image(v.*b.button);
        s += shown == image(v.*b.normal) ? 'n' : shown == image(v.*b.hover) ? 'h' : '-';
    }
    return s;
}

void lightAll(Vazed& v) {
    for (const Button& b : kButtons) (v.*b.button).setPicture((v.*b.hover).picture());
}

// A spot of the entry panel left bare, between the student picker and the first button.
QPoint barePanel(const Vazed& v) {
    return v.Frame1.widget()->mapTo(v.Frame1.widget()->window(), QPoint(5880 / 15, 900 / 15));
}

}  // namespace

TEST_F(SkinnedVazedTest, MovingOverAButtonLightsItAndRestoresExactlyItsResetList) {
    // Column order as kButtons: Image1 Image201 Image4 Image15 Image18 Image24 Image21 Image10 Image7.
    struct Case {
        const char* over;
        std::string after;  // every button lit before the move
    };
    const Case cases[] = {
        {"Image1", "hhhhhhhnh"},  {"Image201", "hhnnnhnnh"}, {"Image4", "hnhnnhnnh"},
        {"Image15", "hnnhnhnnh"}, {"Image18", "hnnnhnnnh"},  {"Image24", "hhhhnhnnh"},
        {"Image21", "hnnnnnhnh"}, {"Image10", "nnnnnnnhn"},  {"Image7", "hhhhhhhnh"},
    };
    Vazed& v = startShown();
    for (const Case& c : cases) {
        const Button& b = *std::find_if(std::begin(kButtons), std::end(kButtons),
                                        [&](const Button& x) { return std::string(x.name) == c.over; });
        lightAll(v);
        moveOver(v, v.*b.button);
        EXPECT_EQ(showing(v), c.after) << "over " << c.over;
    }
}

TEST_F(SkinnedVazedTest, MovingOverTheBarePanelRestoresEveryButton) {
    Vazed& v = startShown();
    lightAll(v);
    QTest::mouseMove(windowOf(v), barePanel(v));
    EXPECT_EQ(showing(v), "nnnnnnnnn");
}

TEST_F(SkinnedVazedTest, MovingOverOtherControlsOfThePanelChangesNoPicture) {
    Vazed& v = startShown();
    const ui::Control* others[] = {&v.Combo1, &v.Label57, &v.Text2, &v.Combo22, &v.Label45};
    for (const ui::Control* c : others) {
        lightAll(v);
        moveOver(v, *c);
        EXPECT_EQ(showing(v), "hhhhhhhhh") << c->name().toStdString();
    }
}

TEST_F(SkinnedVazedTest, AQuickMoveFromOneButtonOntoTheNextLeavesTheFirstLitUntilThePanelOrSettings) {
    Vazed& v = startShown();
    QTest::mouseMove(windowOf(v), barePanel(v));
    moveOver(v, v.Image1);
    moveOver(v, v.Image201);
    EXPECT_EQ(showing(v), "hhnnnnnnn");
    moveOver(v, v.Image10);
    EXPECT_EQ(showing(v), "nnnnnnnhn");
    moveOver(v, v.Image1);
    QTest::mouseMove(windowOf(v), barePanel(v));
    EXPECT_EQ(showing(v), "nnnnnnnnn");
}

TEST_F(SkinnedVazedTest, PressingAButtonWithAnyMouseButtonShowsItsNormalPictureUntilTheNextMove) {
    Vazed& v = startShown();
    for (const Button& b : kButtons) {
        const std::size_t column = std::size_t(&b - kButtons);
        QWidget* w = (v.*b.button).widget();
        for (Qt::MouseButton mouse : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            SCOPED_TRACE(std::string(b.name) + " button " + std::to_string(int(mouse)));
            moveOver(v, v.*b.button);
            ASSERT_EQ(showing(v)[column], 'h');
            // Sent straight to the button and released off it, so no click runs and no move
            // reaches the button between press and release.
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(w->rect().center()),
                              w->mapToGlobal(w->rect().center()), mouse, mouse, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &press);
            EXPECT_EQ(showing(v)[column], 'n');
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-20, -20),
                                w->mapToGlobal(QPoint(-20, -20)), mouse, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &release);
            EXPECT_EQ(showing(v)[column], 'n');
        }
    }
    EXPECT_TRUE(services->starts.empty());
}

TEST_F(SkinnedVazedTest, ARightClickOnALitButtonLeavesItNormalAfterTheRelease) {
    Vazed& v = startShown();
    moveOver(v, v.Image24);
    ASSERT_EQ(showing(v)[5], 'h');
    QTest::mouseClick(windowOf(v), Qt::RightButton, {}, middleOf(v.Image24));
    EXPECT_EQ(showing(v)[5], 'n');
    QTest::mouseMove(windowOf(v), middleOf(v.Image24) + QPoint(3, 3));
    EXPECT_EQ(showing(v)[5], 'h');
}

TEST_F(SkinnedVazedTest, ADisabledButtonDoesNotLightUp) {
    Vazed& v = startShown();
    v.Image15.setEnabled(false);
    moveOver(v, v.Image15);
    EXPECT_NE(showing(v)[3], 'h');
    v.Image15.setEnabled(true);
    moveOver(v, v.Image15);
    EXPECT_EQ(showing(v)[3], 'h');
}

TEST_F(SkinnedVazedTest, WithoutASkinTheButtonsHandOnEmptyPictures) {
    folder.write("data\\Skin.txt", "Text47\r\n");
    Vazed& v = startShown();
    moveOver(v, v.Image10);
    QTest::mouseMove(windowOf(v), barePanel(v));
    for (const Button& b : kButtons) EXPECT_TRUE((v.*b.button).picture().isNull()) << b.name;
}

TEST_F(SkinnedVazedTest, TheQRButtonStartsTheQRProgramOfTheProgramFolderOncePerClick) {
    for (const char* file : {"QR", "QR.exe"}) {
        SCOPED_TRACE(file);
        folder.write(QString::fromLatin1(file), "#!/bin/sh\n");
        QFile::setPermissions(folder.file(QString::fromLatin1(file)),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Vazed& v = startShown();
        services->starts.clear();
        QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, middleOf(v.Image7));
        QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, middleOf(v.Image7));
        ASSERT_EQ(services->starts.size(), 2u);
        for (const auto& s : services->starts) {
            EXPECT_EQ(s.path, QFileInfo(folder.file(QString::fromLatin1(file))).absoluteFilePath());
            EXPECT_EQ(s.style, ui::WindowStyle::MinimizedFocus);
        }
        EXPECT_TRUE(services->messages.empty());
        EXPECT_TRUE(v.isShown());
        QFile::remove(folder.file(QString::fromLatin1(file)));
        ui::discardForm<Vazed>();
    }
}

TEST_F(SkinnedVazedTest, AQRProgramThatIsMissingOrWillNotStartGivesOneErrorAndTheWindowGoesOn) {
    Vazed& v = startShown();
    QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, middleOf(v.Image7));
    EXPECT_TRUE(services->starts.empty());
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
    EXPECT_TRUE(v.isShown());

    folder.write("QR", "#!/bin/sh\n");
    QFile::setPermissions(folder.file("QR"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    services->messages.clear();
    services->startSucceeds = false;
    QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, middleOf(v.Image7));
    EXPECT_EQ(services->starts.size(), 1u);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(v.Text2.text(), v.Label1.caption());
}
