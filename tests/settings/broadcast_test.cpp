// The settings broadcast: a language or skin chosen in the settings window reaches every window,
// in a fixed order, and the settings window's own look follows its table.
#include <QDir>
#include <cstdlib>
#include <functional>

#include "platform/program_folder.h"
#include "settings_fixture.h"
#include "value_lists/edit.h"
#include "workbook/ziruduzizozod.h"

using velmox::BazaVazed;
using velmox::Edit;
using velmox::Help;
using velmox::Nastroiki;
using velmox::Print1;
using velmox::Vazed;

namespace {

// Records each write that changes a window's language or skin box, with what the settings window
// showed at that moment; the box's own handler still runs.
class Recorder {
public:
    struct Entry {
        QString window;
        QString settingsTitle;
        ui::OleColor settingsBack;
        QString windowTitleAfter;
        ui::OleColor windowBackAfter;
    };
    std::vector<Entry> entries;

    void watch(ui::Form& form, ui::TextBox& box, const Nastroiki& s) {
        std::function<void()> own = box.onChange;
        box.onChange = [this, &form, &s, own] {
            own();
            entries.push_back({form.name(), s.caption(), s.backColor(), form.caption(), form.backColor()});
        };
    }
    QStringList windows() const {
        QStringList out;
        for (const Entry& e : entries) out << e.window;
        return out;
    }
};

const QStringList kOrder = {"Vazed", "BazaVazed", "Edit", "Help", "Print1"};

TEST_F(SettingsTest, KazakhAndDarkSkinByMouseReachEveryWindowInOrderAndTheCloseWritesThem) {
    Nastroiki& s = openSettingsShown();
    Vazed& v = ui::form<Vazed>();
    BazaVazed& base = ui::form<BazaVazed>();
    Edit& edit = ui::form<Edit>();
    Help& help = ui::form<Help>();
    Print1& print = ui::form<Print1>();

    Recorder language;
    language.watch(v, v.Text43, s);
    language.watch(base, base.Text4, s);
    language.watch(edit, edit.Text2, s);
    language.watch(help, help.Text2, s);
    language.watch(print, print.Text2, s);
    clickCheck(s, s.Check2);

    ASSERT_EQ(language.windows(), kOrder);
    const QString kazakhTitle = velmox::translation('h', 29);
    for (const Recorder::Entry& e : language.entries) {
        SCOPED_TRACE(e.window.toStdString());
        EXPECT_EQ(e.settingsTitle, kazakhTitle) << "the settings window re-captions itself first";
    }
    EXPECT_EQ(language.entries[0].windowTitleAfter, velmox::translation('h', 22));
    EXPECT_EQ(language.entries[1].windowTitleAfter, "Студенттік база");
    EXPECT_EQ(language.entries[2].windowTitleAfter, "Сақталған деректерді өндеу");
    EXPECT_EQ(language.entries[3].windowTitleAfter, velmox::translation('h', 31));
    EXPECT_EQ(language.entries[4].windowTitleAfter, velmox::translation('h', 59));
    EXPECT_EQ(s.Check2.value(), 1);
    EXPECT_EQ(s.Check1.value(), 0);
    EXPECT_EQ(s.Image1.toolTipText(), "Принтерді орнату");
    EXPECT_EQ(s.Image2.toolTipText(), "Драйверді орнату");

    Recorder skin;
    skin.watch(v, v.Text47, s);
    skin.watch(base, base.Text5, s);
    skin.watch(edit, edit.Text1, s);
    skin.watch(help, help.Text1, s);
    skin.watch(print, print.Text1, s);
    clickSkin(s, skinName(3));

    ASSERT_EQ(skin.windows(), kOrder);
    for (const Recorder::Entry& e : skin.entries) {
        SCOPED_TRACE(e.window.toStdString());
        EXPECT_EQ(e.settingsBack, 0x00FBE3C8u) << "the settings window restyles itself last";
    }
    // The main window itself stays white; its panel takes the skin.
    EXPECT_EQ(v.Frame1.backColor(), 0x00404040u);
    EXPECT_EQ(skin.entries[1].windowBackAfter, 0x00404040u);
    EXPECT_EQ(skin.entries[2].windowBackAfter, 0x00404040u);
    EXPECT_EQ(skin.entries[3].windowBackAfter, 0x00404040u);
    EXPECT_EQ(skin.entries[4].windowBackAfter, 0x00404040u);
    EXPECT_EQ(s.backColor(), 0x00404040u);
    EXPECT_EQ(s.List1.listIndex(), 3);

    // The student base window was loaded hidden before; it opens dark although data\Skin.txt
    // still names the main skin.
    ASSERT_EQ(folder.read("data\\Skin.txt"), cp1251(skinName(0)) + "\r\n");
    v.Image4_Click();
    EXPECT_EQ(&ui::form<BazaVazed>(), &base);
    EXPECT_TRUE(base.isShown());
    EXPECT_EQ(base.backColor(), 0x00404040u);
    EXPECT_EQ(pictureFolder(base.Image1), 4);

    closeByOperator(s);
    EXPECT_EQ(folder.read("data\\lang.txt"), "Kaz\r\n");
    EXPECT_EQ(folder.read("data\\Skin.txt"), cp1251(skinName(3)) + "\r\n");
    EXPECT_EQ(folder.read("data\\Line.txt"), "1\r\n");
    EXPECT_TRUE(v.isShown());
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(SettingsTest, ChoosingTheSkinAlreadyInUseChangesNothing) {
    Nastroiki& s = openSettingsShown();
    Recorder skin;
    Vazed& v = ui::form<Vazed>();
    skin.watch(v, v.Text47, s);
    const qint64 before = s.Image1.picture().cacheKey();
    clickSkin(s, skinName(0));
    EXPECT_TRUE(skin.entries.empty());
    EXPECT_EQ(s.Image1.picture().cacheKey(), before) << "no picture was loaded again";
}

// The settings window's own look under each skin, the stored one last: backgrounds, the outline
// check box's own text colour, and the pictures of both buttons and their holders.
TEST_F(SettingsTest, EachSkinGivesTheSettingsWindowItsColoursAndPictures) {
    struct Case {
        int row;
        ui::OleColor back, text, check3;
    };
    const Case cases[] = {
        {1, 0x8000000B, 0x80000012, 0x80000012},
        {2, 0x80000018, 0x80000012, 0x80000013},
        {3, 0x00404040, 0x00FFC0FF, 0x00FFC0FF},
        {0, 0x00FBE3C8, 0x80000012, 0x80000013},
    };
    Nastroiki& s = openSettingsShown();
    for (const Case& c : cases) {
        SCOPED_TRACE(skinName(c.row).toStdString());
        // From a lit button: the skin leaves both buttons with the new normal picture.
        moveOver(s, s.Image2);
        clickSkin(s, skinName(c.row));
        EXPECT_EQ(s.backColor(), c.back);
        EXPECT_EQ(s.Frame1.backColor(), c.back);
        EXPECT_EQ(s.Frame4.backColor(), c.back);
        EXPECT_EQ(s.Frame1.foreColor(), c.text);
        EXPECT_EQ(s.Frame4.foreColor(), c.text);
        EXPECT_EQ(s.Label2.foreColor(), c.text);
        EXPECT_EQ(s.Label3.foreColor(), c.text);
        EXPECT_EQ(s.Check1.widget()->palette().color(QPalette::WindowText), ui::toQColor(c.text));
        EXPECT_EQ(s.Check3.widget()->palette().color(QPalette::WindowText), ui::toQColor(c.check3));
        EXPECT_EQ(s.Check3.widget()->palette().color(QPalette::Window), ui::toQColor(c.back));
        // Whatever its colour, the outline box's caption must stand out from its background.
        const QPalette check3 = s.Check3.widget()->palette();
        EXPECT_GT(std::abs(check3.color(QPalette::WindowText).lightness() -
                           check3.color(QPalette::Window).lightness()),
                  100);
        const int folderNo = c.row + 1;
        const std::pair<const ui::PictureBox*, int> pictures[] = {{&s.Image1, 5},  {&s.Image5, 5},
                                                                  {&s.Image6, 6},  {&s.Image2, 21},
                                                                  {&s.Image3, 21}, {&s.Image4, 22}};
        for (const auto& [p, n] : pictures) {
            EXPECT_EQ(pictureNumber(*p), n) << p->name().toStdString();
            EXPECT_EQ(pictureFolder(*p), folderNo) << p->name().toStdString();
        }
    }
}

TEST_F(SettingsTest, ASkinChosenAfterTheStudentBaseWindowWasClosedLoadsItAgainHiddenWithThatSkin) {
    Nastroiki& s = openSettingsShown();
    closeByOperator(ui::form<BazaVazed>());
    ASSERT_FALSE(ui::formLoaded<BazaVazed>());
    clickSkin(s, skinName(2));
    ASSERT_TRUE(ui::formLoaded<BazaVazed>());
    EXPECT_FALSE(ui::form<BazaVazed>().isShown());
    EXPECT_EQ(ui::form<BazaVazed>().backColor(), 0x80000018u);
}

// Opening the settings window loads the other windows even with no settings files at all: each
// opens in its design look, and nothing is reported.
TEST_F(SettingsTest, MissingSettingsFilesOpenEveryWindowInItsDesignLook) {
    writeSettings(nullptr, nullptr, nullptr);
    Nastroiki& s = openSettings();
    EXPECT_TRUE(s.isShown());
    EXPECT_EQ(s.Text2.text(), "");
    EXPECT_EQ(s.Text3.text(), "");
    EXPECT_EQ(s.Text4.text(), "");
    EXPECT_EQ(s.backColor(), 0x00FBE3C8u);
    EXPECT_EQ(s.caption(), "Настройки программы");
    EXPECT_EQ(ui::form<Help>().caption(), "Помощь");
    EXPECT_EQ(ui::form<Help>().backColor(), 0x00FBE3C8u);
    EXPECT_TRUE(ui::formLoaded<BazaVazed>());
    EXPECT_TRUE(ui::formLoaded<Print1>());
    EXPECT_TRUE(ui::formLoaded<Edit>());
    EXPECT_TRUE(services->messages.empty());
}

}  // namespace

namespace {

// The settings window's load loads every other window, and each reads the language file: a file
// that cannot be read is told once in the run, at the start, however many windows read it after;
// once it has been read again, a new failure is told anew.
TEST_F(SettingsTest, AnUnreadableSettingsFileIsToldOnceInARunHoweverManyWindowsReadIt) {
    const auto spoil = [this] {
        QFile::remove(folder.file("data\\lang.txt"));
        ASSERT_TRUE(QDir().mkpath(folder.file("data/lang.txt")));
    };
    spoil();
    const auto toldOfLangFile = [this](std::size_t from) {
        int told = 0;
        for (std::size_t i = from; i < services->messages.size(); ++i)
            told += services->messages[i].all().contains(QStringLiteral("«data/lang.txt»"));
        return told;
    };
    const auto openAndClose = [this, &toldOfLangFile](int expectedTold) {
        Vazed& v = ui::form<Vazed>();
        const std::size_t before = services->messages.size();
        click(v, v.Image10);
        settle();
        ASSERT_TRUE(ui::formLoaded<Nastroiki>());
        EXPECT_TRUE(ui::formLoaded<BazaVazed>() && ui::formLoaded<Edit>() && ui::formLoaded<Help>() &&
                    ui::formLoaded<Print1>())
            << "every window loaded, each reading the file";
        EXPECT_EQ(services->messages.size() - before, std::size_t(expectedTold));
        EXPECT_EQ(toldOfLangFile(before), expectedTold);
        closeByOperator(ui::form<Nastroiki>());
        ASSERT_FALSE(ui::formLoaded<Nastroiki>());
        EXPECT_EQ(services->messages.size() - before, std::size_t(expectedTold)) << "the close writes none";
        for (auto discard : {&ui::discardForm<BazaVazed>, &ui::discardForm<Edit>, &ui::discardForm<Help>,
                             &ui::discardForm<Print1>})
            discard();
        settle();
        expose(v);
    };
    Vazed& v = start();
    EXPECT_EQ(toldOfLangFile(0), 1) << "the start";
    expose(v);
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        openAndClose(0);
    }
    QDir(folder.file("data\\lang.txt")).removeRecursively();
    folder.write("data\\lang.txt", "Rus\r\n");
    {
        SCOPED_TRACE("read again");
        openAndClose(0);
    }
    spoil();
    {
        SCOPED_TRACE("unreadable again");
        openAndClose(1);
    }
}

}  // namespace
