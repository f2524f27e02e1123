// The language, the skin and the hover pictures of the QR window, read once at the start, and the
// hover driven by real mouse moves.
#include <QImage>

#include "qr_fixture.h"

namespace {

QImage imageOf(const QPixmap& p) {
    return p.toImage().convertToFormat(QImage::Format_RGB32);
}

class LookTest : public QRTest {
protected:
    QImage shipped(int skinFolder, int number) const {
        return QImage(folder.file(QStringLiteral("image\\Skin%1\\%2.jpg").arg(skinFolder).arg(number)))
            .convertToFormat(QImage::Format_RGB32);
    }
    static QWindow* windowOf(qr::QR& w) { return w.window()->windowHandle(); }
    // Two steps inside the control: the window system drops a move to where the pointer already is.
    static void moveOver(qr::QR& w, const ui::Control& c) {
        const QPoint middle = c.widget()->geometry().center();
        QTest::mouseMove(windowOf(w), middle + QPoint(1, 1));
        QTest::mouseMove(windowOf(w), middle);
    }
    // Whether each button shows its hover picture: compared with what its holders hold.
    static std::pair<bool, bool> lit(const qr::QR& w) {
        return {imageOf(w.Image5.picture()) == imageOf(w.Image7.picture()),
                imageOf(w.Image2.picture()) == imageOf(w.Image4.picture())};
    }
    static std::pair<bool, bool> normal(const qr::QR& w) {
        return {imageOf(w.Image5.picture()) == imageOf(w.Image6.picture()),
                imageOf(w.Image2.picture()) == imageOf(w.Image3.picture())};
    }
};

TEST_F(LookTest, TheLanguageSetsTheTwoTooltipsAndNothingElse) {
    // clang-format off
    const std::tuple<QByteArray, const char16_t*, const char16_t*> cases[] = {
        {"Rus\r\n", u"Загрузить изображение", u"Отправить на печать"},
        {"Kaz\r\nRus\r\n", u"Суретті жүктеп салу", u"Басып шығаруға жіберу"},
        {"rus\r\n", u"", u""},
        {"Rus \r\n", u"", u""},
        {"", u"", u""},
    };
    // clang-format on
    for (const auto& [file, load, print] : cases) {
        SCOPED_TRACE(file.toStdString());
        folder.write("data\\lang.txt", file);
        qr::QR& w = start();
        EXPECT_EQ(w.Image5.toolTipText(), QString::fromUtf16(load));
        EXPECT_EQ(w.Image2.toolTipText(), QString::fromUtf16(print));
        EXPECT_EQ(w.caption(), QStringLiteral("QR"));
        ui::discardForm<qr::QR>();
    }
    // No language file at all: no tooltips, and no message.
    QFile::remove(folder.file("data\\lang.txt"));
    qr::QR& w = start();
    EXPECT_TRUE(w.Image5.toolTipText().isEmpty());
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LookTest, TheSkinSetsTheBackgroundAndTheSixPicturesFromItsFolder) {
    // clang-format off
    const std::tuple<const char16_t*, ui::OleColor, int> skins[] = {
        {u"Основной скин", 0x00FBE3C8, 1},
        {u"Белый интерактив скин", 0x8000000B, 2},
        {u"Желтый скин", 0x80000018, 3},
        {u"Темный скин", 0x00404040, 4},
    };
    // clang-format on
    for (const auto& [name, colour, skinFolder] : skins) {
        SCOPED_TRACE(skinFolder);
        folder.write("data\\Skin.txt", cp1251(QString::fromUtf16(name)) + "\r\n");
        qr::QR& w = start();
        EXPECT_EQ(w.backColor(), colour);
        // clang-format off
        const std::pair<const ui::PictureBox*, int> pictures[] = {
            {&w.Image5, 15}, {&w.Image6, 15}, {&w.Image7, 16}, {&w.Image2, 5}, {&w.Image3, 5}, {&w.Image4, 6}};
        // clang-format on
        for (const auto& [picture, number] : pictures)
            EXPECT_EQ(imageOf(picture->picture()), shipped(skinFolder, number))
                << picture->name().toStdString();
        ui::discardForm<qr::QR>();
    }
}

TEST_F(LookTest, NoSkinOrAnUnknownOneKeepsTheDesignLookWithTheBuiltInPictures) {
    for (const QByteArray& file :
         {QByteArray(), cp1251(QStringLiteral("Темный скин \r\n")), QByteArray("x")}) {
        SCOPED_TRACE(file.toStdString());
        if (file.isNull())
            QFile::remove(folder.file("data\\Skin.txt"));
        else
            folder.write("data\\Skin.txt", file);
        qr::QR& w = start();
        EXPECT_EQ(w.backColor(), 0x00FBE3C8u);
        for (const ui::PictureBox* p : {&w.Image5, &w.Image6, &w.Image7, &w.Image2, &w.Image3, &w.Image4})
            EXPECT_EQ(p->picture().size(), QSize(35, 35)) << p->name().toStdString();
        // One picture shared by each button and its normal holder, another for the hover.
        EXPECT_EQ(normal(w), std::make_pair(true, true));
        EXPECT_NE(imageOf(w.Image6.picture()), imageOf(w.Image7.picture()));
        EXPECT_NE(imageOf(w.Image3.picture()), imageOf(w.Image4.picture()));
        EXPECT_NE(imageOf(w.Image6.picture()), imageOf(w.Image3.picture()));
        ui::discardForm<qr::QR>();
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LookTest, TheSettingsAreReadOnceAtTheStart) {
    qr::QR& w = start();
    folder.write("data\\lang.txt", "Kaz\r\n");
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
    moveOver(w, w.Image5);
    EXPECT_EQ(w.Image5.toolTipText(), QStringLiteral("Загрузить изображение"));
    EXPECT_EQ(w.backColor(), 0x00FBE3C8u);
}

TEST_F(LookTest, TheMouseLightsOneButtonAtATimeAndThePressOrTheBareWindowPutsThemOut) {
    qr::QR& w = start();
    ASSERT_EQ(normal(w), std::make_pair(true, true));
    moveOver(w, w.Image5);
    EXPECT_EQ(lit(w), std::make_pair(true, false));
    // Straight from the load button onto the print button.
    moveOver(w, w.Image2);
    EXPECT_EQ(lit(w), std::make_pair(false, true));
    EXPECT_EQ(normal(w).first, true);
    // A press shows the normal picture; the next move lights it again.
    QTest::mousePress(windowOf(w), Qt::LeftButton, {}, w.Image2.widget()->geometry().center());
    EXPECT_EQ(normal(w), std::make_pair(true, true));
    QTest::mouseRelease(windowOf(w), Qt::LeftButton, {}, w.Image2.widget()->geometry().center());
    EXPECT_EQ(normal(w), std::make_pair(true, true)) << "the release changes no picture";
    moveOver(w, w.Image2);
    EXPECT_EQ(lit(w), std::make_pair(false, true));
    // Over the picture control nothing changes; over the bare window both go out.
    moveOver(w, w.Image1);
    EXPECT_EQ(lit(w), std::make_pair(false, true));
    QTest::mouseMove(windowOf(w), QPoint(150, 400));
    QTest::mouseMove(windowOf(w), QPoint(151, 400));
    EXPECT_EQ(normal(w), std::make_pair(true, true));
    moveOver(w, w.Image5);
    QTest::mousePress(windowOf(w), Qt::RightButton, {}, w.Image5.widget()->geometry().center());
    EXPECT_EQ(normal(w), std::make_pair(true, true)) << "any mouse key puts the button out";
    QTest::mouseRelease(windowOf(w), Qt::RightButton, {}, w.Image5.widget()->geometry().center());
}

}  // namespace
