// The help window and the "Автор" button: the main window gives its place to the help window and
// comes back when it closes.
#include "settings_fixture.h"
#include "workbook/ziruduzizozod.h"

using velmox::Help;
using velmox::Nastroiki;
using velmox::Vazed;

namespace {

const QString kDesignOs = QStringLiteral("Linux (Debian 12+)");
const QString kNoSpreadsheetRus = QStringLiteral("Для работы программы не требуется табличный процессор");
const QString kNoSpreadsheetKaz = QStringLiteral("Бағдарлама жұмысы үшін кестелік процессор қажет емес");

// The translated captions in the order of their rows: title, frame, then the requirement names.
QStringList translatedCaptions(const Help& h) {
    return {h.caption(),        h.Frame1.caption(), h.Label1.caption(), h.Label3.caption(),
            h.Label5.caption(), h.Label7.caption(), h.Label8.caption()};
}
QStringList untranslated(const Help& h) {
    return {h.Label2.caption(), h.Label4.caption(), h.Label6.caption(), h.Label10.caption()};
}

class HelpTest : public SettingsTest {
protected:
    // Presses "Автор" on the shown main window through the window system.
    Help& pressAuthor() {
        Vazed& v = ui::form<Vazed>();
        expose(v);
        click(v, v.Image21);
        return ui::form<Help>();
    }
};

TEST_F(HelpTest, AuthorHidesTheMainWindowAndShowsHelpInTheStoredLanguage) {
    for (const char* code : {"Rus", "Kaz"}) {
        SCOPED_TRACE(code);
        const QString main = skinName(0);
        writeSettings(code, &main, "1");
        start();
        Help& h = pressAuthor();
        EXPECT_FALSE(ui::form<Vazed>().isShown());
        EXPECT_TRUE(h.isShown());
        const QChar column = QLatin1String(code) == QLatin1String("Kaz") ? u'h' : u'g';
        QStringList expected;
        for (int row : {31, 32, 60, 33, 34, 35, 36}) expected << velmox::translation(column, row);
        EXPECT_EQ(translatedCaptions(h), expected);
        // The shipped texts tell the truth about this build.
        EXPECT_EQ(h.Label8.caption(), column == u'h' ? kNoSpreadsheetKaz : kNoSpreadsheetRus);
        EXPECT_EQ(untranslated(h),
                  QStringList({kDesignOs, "512 МБ", "100 МБ", "Velmox"}));
        closeByOperator(h);
        EXPECT_TRUE(ui::form<Vazed>().isShown());
        EXPECT_FALSE(ui::formLoaded<Help>());
        TearDown();
        SetUp();
    }
}

TEST_F(HelpTest, AnUnknownCodeLeavesTheDesignCaptions) {
    for (const char* code : {"rus", "Rus ", ""}) {
        SCOPED_TRACE(std::string("\"") + code + "\"");
        writeSettings(code, nullptr, "0");
        start();
        Help& h = pressAuthor();
        EXPECT_EQ(
            translatedCaptions(h),
            QStringList({"Помощь", "Системные требования", "Операционные системы:", "Оперативная память:",
                         "Дисковое пространство:", "Программное обеспечение:", kNoSpreadsheetRus}));
        EXPECT_EQ(h.backColor(), 0x00FBE3C8u);
        EXPECT_EQ(h.Label1.foreColor(), 0x00000000u);
        EXPECT_TRUE(services->messages.empty());
        TearDown();
        SetUp();
    }
}

TEST_F(HelpTest, EachSkinColoursTheWindowTheFrameAndEveryText) {
    struct Case {
        int row;
        ui::OleColor back, text;
    };
    const Case cases[] = {
        {3, 0x00404040, 0x00FFC0FF},
        {2, 0x80000018, 0x80000012},
        {1, 0x8000000B, 0x80000012},
        {0, 0x00FBE3C8, 0x80000012},
    };
    start();
    Help& h = ui::form<Help>();
    for (const Case& c : cases) {
        SCOPED_TRACE(skinName(c.row).toStdString());
        h.Text1.setText(skinName(c.row));
        EXPECT_EQ(h.backColor(), c.back);
        EXPECT_EQ(h.Frame1.backColor(), c.back);
        EXPECT_EQ(h.Frame1.foreColor(), c.text);
        for (const ui::Label* l : {&h.Label1, &h.Label2, &h.Label3, &h.Label4, &h.Label5, &h.Label6,
                                   &h.Label7, &h.Label8, &h.Label10})
            EXPECT_EQ(l->foreColor(), c.text) << l->name().toStdString();
    }
    h.Text1.setText(QStringLiteral("Темный"));
    EXPECT_EQ(h.backColor(), 0x00FBE3C8u) << "a name of no skin keeps the last skin";
}

// Loaded hidden by the settings window, the help window shows what was broadcast to it last and
// reads no file; after a close it is loaded afresh from the files.
TEST_F(HelpTest, AHelpWindowLoadedBySettingsShowsTheBroadcastAndAFreshOneReadsTheFiles) {
    Nastroiki& s = openSettingsShown();
    clickCheck(s, s.Check2);
    clickSkin(s, skinName(3));
    Help& h = pressAuthor();
    EXPECT_EQ(h.caption(), velmox::translation('h', 31));
    EXPECT_EQ(h.backColor(), 0x00404040u);
    EXPECT_EQ(h.Text2.text(), "Kaz") << "data\\lang.txt still says Rus";

    closeByOperator(h);
    ASSERT_FALSE(ui::formLoaded<Help>());
    Help& again = pressAuthor();
    EXPECT_EQ(again.caption(), velmox::translation('g', 31));
    EXPECT_EQ(again.backColor(), 0x00FBE3C8u);
}

// Both windows may be open: the settings window's close shows the main window beside the help
// window, and the help window's close then changes nothing more.
TEST_F(HelpTest, SettingsClosedWhileHelpIsOpenBringsTheMainWindowBackBesideIt) {
    Nastroiki& s = openSettingsShown();
    Help& h = pressAuthor();
    ASSERT_FALSE(ui::form<Vazed>().isShown());
    closeByOperator(s);
    EXPECT_TRUE(ui::form<Vazed>().isShown());
    EXPECT_TRUE(h.isShown());
    click(ui::form<Vazed>(), ui::form<Vazed>().Image21);
    EXPECT_FALSE(ui::form<Vazed>().isShown());
    EXPECT_EQ(&ui::form<Help>(), &h) << "already open: not loaded again";
    closeByOperator(h);
    EXPECT_TRUE(ui::form<Vazed>().isShown());
}

// An unreadable settings file is reported once; the help window still opens, in its design look,
// so "Автор" never leaves the operator without a window.
TEST_F(HelpTest, AnUnreadableSettingsFileStillOpensTheHelpWindow) {
    start();
    QFile::remove(folder.file("data\\lang.txt"));
    QDir().mkpath(folder.file("data\\lang.txt"));
    Help& h = pressAuthor();
    EXPECT_TRUE(h.isShown());
    EXPECT_FALSE(ui::form<Vazed>().isShown());
    EXPECT_EQ(h.caption(), "Помощь");
    EXPECT_EQ(h.backColor(), 0x00FBE3C8u);
    EXPECT_LE(services->messages.size(), 1u);
    closeByOperator(h);
    EXPECT_TRUE(ui::form<Vazed>().isShown());
}

}  // namespace
