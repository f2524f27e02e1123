// The main window's skins: the entry panel's colour, the 27 toolbar pictures and the 29 caption
// colours, from the skin box.
#include <QFile>
#include <optional>

#include "main_window/skinned_fixture.h"
#include "platform/dispatch.h"
#include "student_base/baza_vazed.h"
#include "student_base/print1.h"
#include "support/held_file.h"

using velmox::Vazed;

namespace {

struct Loaded {
    const char* name;
    ui::PictureBox Vazed::*control;
    int number;
};
// The toolbar from left to right: button, its normal holder, its hover holder.
const Loaded kPictures[27] = {
    {"Image1", &Vazed::Image1, 1},     {"Image2", &Vazed::Image2, 1},     {"Image3", &Vazed::Image3, 2},
    {"Image201", &Vazed::Image201, 5}, {"Image203", &Vazed::Image203, 5}, {"Image202", &Vazed::Image202, 6},
    {"Image4", &Vazed::Image4, 3},     {"Image5", &Vazed::Image5, 3},     {"Image6", &Vazed::Image6, 4},
    {"Image15", &Vazed::Image15, 7},   {"Image16", &Vazed::Image16, 7},   {"Image17", &Vazed::Image17, 8},
    {"Image18", &Vazed::Image18, 9},   {"Image19", &Vazed::Image19, 9},   {"Image20", &Vazed::Image20, 10},
    {"Image24", &Vazed::Image24, 23},  {"Image25", &Vazed::Image25, 23},  {"Image26", &Vazed::Image26, 24},
    {"Image21", &Vazed::Image21, 13},  {"Image22", &Vazed::Image22, 13},  {"Image23", &Vazed::Image23, 14},
    {"Image10", &Vazed::Image10, 21},  {"Image11", &Vazed::Image11, 21},  {"Image12", &Vazed::Image12, 22},
    {"Image7", &Vazed::Image7, 11},    {"Image8", &Vazed::Image8, 11},    {"Image9", &Vazed::Image9, 12},
};

ui::Label Vazed::*const kCaptions[29] = {
    &Vazed::Label73, &Vazed::Label74, &Vazed::Label75, &Vazed::Label57, &Vazed::Label45, &Vazed::Label48,
    &Vazed::Label49, &Vazed::Label50, &Vazed::Label51, &Vazed::Label66, &Vazed::Label52, &Vazed::Label53,
    &Vazed::Label47, &Vazed::Label54, &Vazed::Label55, &Vazed::Label56, &Vazed::Label58, &Vazed::Label59,
    &Vazed::Label60, &Vazed::Label62, &Vazed::Label63, &Vazed::Label64, &Vazed::Label77, &Vazed::Label65,
    &Vazed::Label68, &Vazed::Label69, &Vazed::Label70, &Vazed::Label71, &Vazed::Label72,
};

struct SkinCase {
    QString name;
    int folder;
    ui::OleColor panel, captions;
};
// Dark before yellow: the captions must turn back from pink.
const SkinCase kSkinCases[] = {
    {QStringLiteral("Темный скин"), 4, 0x00404040, 0x00FFC0FF},
    {QStringLiteral("Желтый скин"), 3, 0x80000018, 0x80000012},
    {QStringLiteral("Белый интерактив скин"), 2, 0x8000000B, 0x80000012},
    {QStringLiteral("Основной скин"), 1, 0x00FBE3C8, 0x80000012},
};

// Everything of the window that no skin may touch.
struct Untouched {
    ui::OleColor window, frame2, label46Fore, label46Back, field1Fore, text2Fore, label67;

    static Untouched of(const Vazed& v) {
        return {v.backColor(),        v.Frame2.backColor(),  v.Label46.foreColor(), v.Label46.backColor(),
                v.Label1.foreColor(), v.Label76.foreColor(), v.Label67.foreColor()};
    }
    bool operator==(const Untouched&) const = default;
};

}  // namespace

TEST_F(SkinnedVazedTest, EachSkinColoursThePanelLoadsTheToolbarFromItsFolderAndColoursTheCaptions) {
    Vazed& v = start();
    const Untouched before = Untouched::of(v);
    EXPECT_EQ(before.window, 0x00FFFFFFu);
    EXPECT_EQ(before.label67, 0x00000000u);
    for (const SkinCase& c : kSkinCases) {
        SCOPED_TRACE(c.name.toStdString());
        v.Text47.setText(c.name);
        EXPECT_EQ(v.Frame1.backColor(), c.panel);
        for (const Loaded& p : kPictures) {
            ASSERT_FALSE((v.*p.control).picture().isNull()) << p.name;
            EXPECT_EQ(shown(v.*p.control), shipped(c.folder, p.number)) << p.name << " " << p.number;
        }
        for (auto label : kCaptions)
            EXPECT_EQ((v.*label).foreColor(), c.captions) << (v.*label).name().toStdString();
        EXPECT_EQ(Untouched::of(v), before);
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(SkinnedVazedTest, TheStartUpAppliesTheSkinOfTheSettingsFile) {
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
    Vazed& v = start();
    EXPECT_EQ(v.Text47.text(), QStringLiteral("Темный скин"));
    EXPECT_EQ(v.Frame1.backColor(), 0x00404040u);
    EXPECT_EQ(v.Label57.foreColor(), 0x00FFC0FFu);
    EXPECT_EQ(shown(v.Image7), shipped(4, 11));
    EXPECT_EQ(v.backColor(), 0x00FFFFFFu);
}

TEST_F(SkinnedVazedTest, ASettingsFileThatNamesNoSkinLeavesTheDesignLook) {
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("основной скин\r\n")));
    Vazed& v = start();
    EXPECT_EQ(v.Frame1.backColor(), 0x00FBE3C8u);
    for (const Loaded& p : kPictures) EXPECT_TRUE((v.*p.control).picture().isNull()) << p.name;
}

TEST_F(SkinnedVazedTest, WritingTheSkinAlreadyInTheBoxReloadsNothing) {
    Vazed& v = start();
    v.Text47.setText(QStringLiteral("Темный скин"));
    // Had the write run anything, the missing folder would empty every picture.
    QDir(folder.file("image")).removeRecursively();
    v.Frame1.setBackColor(0x00112233);
    v.Text47.setText(QStringLiteral("Темный скин"));
    EXPECT_EQ(v.Frame1.backColor(), 0x00112233u);
    for (const Loaded& p : kPictures) EXPECT_FALSE((v.*p.control).picture().isNull()) << p.name;
}

TEST_F(SkinnedVazedTest, ATextThatNamesNoSkinChangesNothing) {
    Vazed& v = start();
    v.Text47.setText(QStringLiteral("Желтый скин"));
    const qint64 picture = v.Image10.picture().cacheKey();
    for (const QString& text : {QStringLiteral("желтый скин"), QStringLiteral("Темный скин "), QString(),
                                QStringLiteral("Rus"), QStringLiteral("Темный")}) {
        v.Text47.setText(text);
        EXPECT_EQ(v.Frame1.backColor(), 0x80000018u) << text.toStdString();
        EXPECT_EQ(v.Label45.foreColor(), 0x80000012u) << text.toStdString();
        EXPECT_EQ(v.Image10.picture().cacheKey(), picture) << text.toStdString();
    }
}

TEST_F(SkinnedVazedTest, AMissingPictureLeavesOnlyItsControlsEmptyAndTellsNobody) {
    Vazed& v = start();
    QFile::remove(folder.file("image\\Skin3\\7.jpg"));
    folder.write("image\\Skin3\\22.jpg", "not a picture");
    v.Text47.setText(QStringLiteral("Желтый скин"));
    for (const Loaded& p : kPictures) {
        if (p.number == 7 || p.number == 22)
            EXPECT_TRUE((v.*p.control).picture().isNull()) << p.name;
        else
            EXPECT_EQ(shown(v.*p.control), shipped(3, p.number)) << p.name;
    }
    EXPECT_EQ(v.Frame1.backColor(), 0x80000018u);
    for (auto label : kCaptions) EXPECT_EQ((v.*label).foreColor(), 0x80000012u);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(SkinnedVazedTest, ASkinChangeGivesALitButtonTheNewSkinsNormalPicture) {
    Vazed& v = startShown();
    moveOver(v, v.Image18);
    ASSERT_EQ(shown(v.Image18), shipped(1, 10));
    v.Text47.setText(QStringLiteral("Белый интерактив скин"));
    EXPECT_EQ(shown(v.Image18), shipped(2, 9));
    moveOver(v, v.Image18);
    EXPECT_EQ(shown(v.Image18), shipped(2, 10));
}

// Skin.txt and lang.txt held by another program while the main window, the print dialog and the
// student base window load: one box, and the design look. An action while they are still held says
// nothing more; the first action once they are free reads them, and every window that missed them
// takes the skin and the language, but for a box that was written since.
TEST_F(SkinnedVazedTest, SettingsHeldAtTheLoadAreAppliedByTheFirstActionOnceTheyAreFree) {
    const ShortFileWaits waits;
    struct Case {
        const char* what;
        const char* setSince;  // the main window's skin box, as the settings window writes it
        int folder;            // the main window's skin folder at the end
    };
    const Case cases[] = {
        {"nothing set since", nullptr, 4},
        {"the main window's skin set since", "Желтый скин", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
        folder.write("data\\lang.txt", "Kaz\r\n");
        std::optional<HeldFile> skin(std::in_place, folder.file("data\\Skin.txt"));
        std::optional<HeldFile> lang(std::in_place, folder.file("data\\lang.txt"));
        Vazed& v = startShown();
        ui::dispatchEvent([] {
            ui::form<velmox::Print1>();
            ui::form<velmox::BazaVazed>();
        });
        velmox::Print1& p = ui::form<velmox::Print1>();
        velmox::BazaVazed& b = ui::form<velmox::BazaVazed>();
        EXPECT_TRUE(v.Image10.picture().isNull());
        EXPECT_TRUE(p.Image1.picture().isNull());
        EXPECT_TRUE(b.Image1.picture().isNull());
        EXPECT_EQ(v.Label73.caption(), QStringLiteral("Шрифт"));
        if (c.setSince) v.Text47.setText(QString::fromUtf8(c.setSince));

        services->messages.clear();
        moveOver(v, v.Frame1);
        EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
        EXPECT_EQ(v.Label73.caption(), QStringLiteral("Шрифт"));
        EXPECT_EQ(v.Image10.picture().isNull(), !c.setSince);

        skin.reset();
        lang.reset();
        moveOver(v, v.Image7);
        EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
        EXPECT_EQ(shown(v.Image10), shipped(c.folder, 21));
        EXPECT_EQ(v.Label73.caption(), QStringLiteral("Қаріп"));
        EXPECT_EQ(p.Text1.text(), QStringLiteral("Темный скин"));
        EXPECT_EQ(shown(p.Image1), shipped(4, 27));
        EXPECT_EQ(p.Image1.toolTipText(), QStringLiteral("Басып шығару"));
        EXPECT_EQ(b.Text5.text(), QStringLiteral("Темный скин"));
        EXPECT_FALSE(b.Image1.picture().isNull());
        EXPECT_EQ(b.Text4.text(), QStringLiteral("Kaz"));
        ui::discardForm<velmox::Print1>();
        ui::discardForm<velmox::BazaVazed>();
        TearDown();
        SetUp();
    }
}
