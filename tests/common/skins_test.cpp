// The skin table and the routine that puts a skin on a window from the window's own table.
#include "common/skins.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "common/hover_button.h"
#include "platform/paths.h"
#include "support/program_folder.h"
#include "support/scripted_services.h"

namespace {

// A window with one of each kind of thing a skin colours, and three picture controls.
class SkinForm : public ui::Form {
public:
    SkinForm() : Form(QStringLiteral("SkinForm")) {
        setBackColor(0x00123456);
        Frame1.create(*this, QStringLiteral("Frame1"), {0, 0, 3000, 2000});
        Label1.create(Frame1, QStringLiteral("Label1"), {100, 100, 1000, 300});
        Label2.create(Frame1, QStringLiteral("Label2"), {100, 500, 1000, 300});
        Check1.create(*this, QStringLiteral("Check1"), {100, 2100, 1000, 300});
        Image1.create(*this, QStringLiteral("Image1"), {3100, 100, 525, 525});
        Image2.create(*this, QStringLiteral("Image2"), {3100, 700, 525, 525});
        Image3.create(*this, QStringLiteral("Image3"), {3100, 1300, 525, 525});
    }
    ui::Frame Frame1;
    ui::Label Label1, Label2;
    ui::CheckBox Check1;
    ui::PictureBox Image1, Image2, Image3;
};

// Check1 keeps a grey of its own on the blue and the yellow skin, as a window may state.
constexpr skin::SkinColours kCheckColours = {0x80000013, 0x80000012, 0x80000013, 0x00FFC0FF};

using Paint = skin::Paint<SkinForm>;
constexpr Paint kBackgrounds[] = {Paint{}, &SkinForm::Frame1, &SkinForm::Check1};
constexpr skin::Picture<SkinForm> kPictures[] = {
    {&SkinForm::Image1, 5}, {&SkinForm::Image2, 5}, {&SkinForm::Image3, 6}};
constexpr Paint kTexts[] = {&SkinForm::Label1, &SkinForm::Label2, {&SkinForm::Check1, &kCheckColours}};
const skin::Look<SkinForm> kLook{kBackgrounds, kPictures, kTexts};

// A check box keeps its colours only in its widget's palette.
QColor textOf(const ui::CheckBox& b) {
    return b.widget()->palette().color(QPalette::WindowText);
}
QColor backOf(const ui::CheckBox& b) {
    return b.widget()->palette().color(QPalette::Window);
}

class Skins : public testing::Test {
protected:
    void SetUp() override {
        ui::setProgramFolder(folder.path());
        // Every picture of a size of its own: 40 + skin wide, the number high.
        for (int s = 1; s <= 4; ++s)
            for (int n : {5, 6}) writePicture(s, n);
    }
    void writePicture(int s, int n) const {
        QImage image(40 + s, n, QImage::Format_RGB32);
        image.fill(QColor(40 * s, 20 * n, 100));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG");
        folder.write(QStringLiteral("image\\Skin%1\\%2.jpg").arg(s).arg(n), bytes);
    }
    static QSize sizeOf(int s, int n) { return {40 + s, n}; }

    ProgramFolder folder;
    SkinForm w;
};

TEST(SkinTable, HoldsTheFourSkinsWithFolderBackgroundAndCaptionColour) {
    struct Row {
        QString name;
        int folder;
        ui::OleColor background, caption;
    };
    const Row expected[] = {
        {QStringLiteral("Основной скин"), 1, 0x00FBE3C8, 0x80000012},
        {QStringLiteral("Белый интерактив скин"), 2, 0x8000000B, 0x80000012},
        {QStringLiteral("Желтый скин"), 3, 0x80000018, 0x80000012},
        {QStringLiteral("Темный скин"), 4, 0x00404040, 0x00FFC0FF},
    };
    for (const Row& r : expected) {
        SCOPED_TRACE(r.name.toStdString());
        const skin::Skin* s = skin::find(r.name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->folder, r.folder);
        EXPECT_EQ(s->background, r.background);
        EXPECT_EQ(s->captionText, r.caption);
    }
}

TEST(SkinTable, OnlyTheWholeExactNameNamesASkin) {
    for (const QString& text :
         {QStringLiteral("основной скин"), QStringLiteral("Основной скин "), QStringLiteral(" Темный скин"),
          QStringLiteral("Темный"), QStringLiteral("ТЕМНЫЙ СКИН"), QString(), QStringLiteral("Rus"),
          QStringLiteral("Text47"), QStringLiteral("Тёмный скин")})
        EXPECT_EQ(skin::find(text), nullptr) << text.toStdString();
}

TEST(SkinTable, PicturesLieInTheSkinsFolderUnderTheProgramFolder) {
    ProgramFolder folder;
    ui::setProgramFolder(folder.path());
    EXPECT_EQ(skin::picturePath(*skin::find(QStringLiteral("Желтый скин")), 7),
              folder.file("image\\Skin3\\7.jpg"));
    EXPECT_EQ(skin::picturePath(*skin::find(QStringLiteral("Основной скин")), 40),
              folder.file("image\\Skin1\\40.jpg"));
}

TEST_F(Skins, EachSkinColoursTheTablesSurfacesLoadsItsPicturesAndColoursItsTexts) {
    struct Case {
        QString name;
        int folder;
        ui::OleColor background, text, check;
    };
    // Dark first, so every later skin has to put the ordinary colours back.
    const Case cases[] = {
        {QStringLiteral("Темный скин"), 4, 0x00404040, 0x00FFC0FF, 0x00FFC0FF},
        {QStringLiteral("Желтый скин"), 3, 0x80000018, 0x80000012, 0x80000013},
        {QStringLiteral("Белый интерактив скин"), 2, 0x8000000B, 0x80000012, 0x80000012},
        {QStringLiteral("Основной скин"), 1, 0x00FBE3C8, 0x80000012, 0x80000013},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(skin::apply(w, c.name, kLook));
        EXPECT_EQ(w.backColor(), c.background);
        EXPECT_EQ(w.Frame1.backColor(), c.background);
        EXPECT_EQ(w.Image1.picture().size(), sizeOf(c.folder, 5));
        EXPECT_EQ(w.Image2.picture().size(), sizeOf(c.folder, 5));
        EXPECT_EQ(w.Image3.picture().size(), sizeOf(c.folder, 6));
        EXPECT_EQ(backOf(w.Check1), ui::toQColor(c.background));
        EXPECT_EQ(w.Label1.foreColor(), c.text);
        EXPECT_EQ(w.Label2.foreColor(), c.text);
        EXPECT_EQ(textOf(w.Check1), ui::toQColor(c.check));
    }
}

TEST_F(Skins, AWindowsOwnTextColoursReplaceTheCaptionColour) {
    constexpr skin::SkinColours windowText = {0x80000008, 0x80000008, 0x80000008, 0x00FFC0FF};
    const skin::Look<SkinForm> look{{}, {}, kTexts, &windowText};
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Желтый скин"), look));
    EXPECT_EQ(w.Label1.foreColor(), 0x80000008u);
    // An entry's own row still wins over the window's.
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Темный скин"), look));
    EXPECT_EQ(w.Label2.foreColor(), 0x00FFC0FFu);
    // Nothing else of the window was in the table.
    EXPECT_EQ(w.backColor(), 0x00123456u);
    EXPECT_TRUE(w.Image1.picture().isNull());
}

TEST_F(Skins, ATextThatNamesNoSkinChangesNothing) {
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Темный скин"), kLook));
    const qint64 picture = w.Image1.picture().cacheKey();
    for (const QString& text : {QStringLiteral("темный скин"), QStringLiteral("Желтый скин "), QString()}) {
        EXPECT_FALSE(skin::apply(w, text, kLook));
        EXPECT_EQ(w.backColor(), 0x00404040u);
        EXPECT_EQ(w.Label1.foreColor(), 0x00FFC0FFu);
        EXPECT_EQ(w.Image1.picture().cacheKey(), picture);
    }
}

TEST_F(Skins, AMissingOrBrokenPictureEmptiesOnlyItsControl) {
    ui::ScriptedServices* services = new ui::ScriptedServices;
    auto previous = ui::setServices(std::unique_ptr<ui::Services>(services));
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Основной скин"), kLook));
    QFile::remove(folder.file("image\\Skin2\\5.jpg"));
    folder.write("image\\Skin2\\6.jpg", "no picture");
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Белый интерактив скин"), kLook));
    EXPECT_TRUE(w.Image1.picture().isNull());
    EXPECT_TRUE(w.Image2.picture().isNull());
    EXPECT_TRUE(w.Image3.picture().isNull());
    EXPECT_EQ(w.Frame1.backColor(), 0x8000000Bu);
    EXPECT_EQ(w.Label2.foreColor(), 0x80000012u);
    EXPECT_EQ(textOf(w.Check1), ui::toQColor(0x80000012));

    // One lost file costs only its own control.
    writePicture(2, 6);
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Основной скин"), kLook));
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Белый интерактив скин"), kLook));
    EXPECT_TRUE(w.Image1.picture().isNull());
    EXPECT_EQ(w.Image3.picture().size(), sizeOf(2, 6));
    EXPECT_TRUE(services->messages.empty());
    ui::setServices(std::move(previous));
}

TEST(HoverButtons, TheSkinLoadsTheButtonAndItsNormalHolderWithOneNumberAndTheHoverHolderWithTheNext) {
    constexpr hover::Button<SkinForm> buttons[] = {
        {&SkinForm::Image1, &SkinForm::Image2, &SkinForm::Image3, 27}};
    constexpr auto pictures = hover::skinPictures(buttons);
    static_assert(pictures.size() == 3);
    EXPECT_EQ(pictures[0].control, &SkinForm::Image1);
    EXPECT_EQ(pictures[0].number, 27);
    EXPECT_EQ(pictures[1].control, &SkinForm::Image2);
    EXPECT_EQ(pictures[1].number, 27);
    EXPECT_EQ(pictures[2].control, &SkinForm::Image3);
    EXPECT_EQ(pictures[2].number, 28);
}

TEST_F(Skins, AHoverButtonShowsItsHoldersPicturesNotAFreshLoad) {
    const hover::Button<SkinForm> b{&SkinForm::Image1, &SkinForm::Image2, &SkinForm::Image3, 5};
    ASSERT_TRUE(skin::apply(w, QStringLiteral("Желтый скин"), kLook));
    hover::showHover(w, b);
    EXPECT_EQ(w.Image1.picture().cacheKey(), w.Image3.picture().cacheKey());
    hover::showNormal(w, b);
    EXPECT_EQ(w.Image1.picture().cacheKey(), w.Image2.picture().cacheKey());
}

}  // namespace
