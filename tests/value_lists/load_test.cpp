// Opening the editor: its lists as the files hold them, its first page, the page switches, and the
// files it cannot read.
#include <QFileInfo>

#include "platform/program_folder.h"
#include "support/held_file.h"
#include "workbook/ziruduzizozod.h"

#include "value_lists/edit_fixture.h"

using velmox::Edit;
using velmox::Vazed;

TEST_F(EditTest, OpensOnPageOneWithEveryLineOfEachFileInItsList) {
    folder.write("data\\5.txt", cp1251(QStringLiteral("A\r\n\r\nB\r\n")));
    writeList(8, {QStringLiteral("Колледж"), QStringLiteral("Колледж"), QStringLiteral("колледж")});
    writeList(21, {QStringLiteral("Техник")});
    writeList(18, {QStringLiteral("Слесарь")});
    Vazed& v = start();
    Edit& e = openEditor(v);

    EXPECT_TRUE(e.isShown());
    EXPECT_FALSE(v.isShown());
    EXPECT_EQ(entries(e.List5), QStringList({"A", "", "B"}));
    EXPECT_EQ(entries(e.List8), QStringList({"Колледж", "Колледж", "колледж"}));
    EXPECT_EQ(entries(e.List21), QStringList({"Техник"}));
    EXPECT_EQ(entries(e.List18), QStringList({"Слесарь"}));
    // No data\17.txt: an empty list, and the load went on.
    EXPECT_EQ(e.List17.listCount(), 0);
    for (int n = 1; n <= 21; ++n) EXPECT_EQ(listOf(e, n).listIndex(), -1) << "list " << n;

    EXPECT_EQ(e.Check1.value(), 1);
    EXPECT_EQ(e.Check2.value(), 0);
    EXPECT_EQ(e.Frame1.left(), ui::Twips(120));
    EXPECT_EQ(e.Frame1.top(), ui::Twips(720));
    EXPECT_EQ(e.Frame2.left(), ui::Twips(-10000));
    EXPECT_EQ(e.Frame2.top(), ui::Twips(-10000));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(EditTest, PageSwitchesShowTheirPageAndClearingTheTickedOneKeepsIt) {
    struct Step {
        const char* click;  // "1" or "2": the check box the operator clicks
        int check1, check2;
        int page;
    };
    const Step steps[] = {
        {"2", 0, 1, 2},  // ticking Check2 shows page 2 and clears Check1
        {"2", 0, 0, 2},  // clearing the ticked box leaves its page
        {"2", 0, 1, 2},  // ticking it again shows the same page
        {"1", 1, 0, 1}, {"1", 0, 0, 1}, {"2", 0, 1, 2}, {"1", 1, 0, 1},
    };
    Vazed& v = start();
    Edit& e = openEditor(v);
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "click Check" << s.click);
        click(e, *s.click == '1' ? static_cast<ui::Control&>(e.Check1) : e.Check2);
        EXPECT_EQ(e.Check1.value(), s.check1);
        EXPECT_EQ(e.Check2.value(), s.check2);
        ui::Frame& shown = s.page == 1 ? e.Frame1 : e.Frame2;
        ui::Frame& away = s.page == 1 ? e.Frame2 : e.Frame1;
        EXPECT_EQ(shown.left(), ui::Twips(120));
        EXPECT_EQ(shown.top(), ui::Twips(720));
        EXPECT_EQ(away.left(), ui::Twips(-10000));
        EXPECT_EQ(away.top(), ui::Twips(-10000));
    }
}

TEST_F(EditTest, ListFilesThatCannotBeReadShowEmptyAreNamedInOneMessageAndAreLeftAlone) {
    writeList(4, {QStringLiteral("Лицей")});
    Vazed& v = start();
    ASSERT_TRUE(services->messages.empty());
    // A folder where the file should be: it exists but cannot be read, even by root. The editor is the
    // first to find them.
    QDir().mkpath(folder.file("data\\3.txt"));
    QDir().mkpath(folder.file("data\\15.txt"));
    Edit& e = openEditor(v);

    EXPECT_EQ(e.List3.listCount(), 0);
    EXPECT_EQ(entries(e.List4), QStringList({"Лицей"}));
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    for (const char* name : {"data\\3.txt", "data\\15.txt"})
        EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file(name)))) << name;
    EXPECT_EQ(e.List15.listCount(), 0);

    // Deletes in them or in other lists, the close and the next opening touch them not, and the
    // operator is not told again.
    click(e, e.Image5);
    click(e, e.Image6);
    e.window()->close();
    settle();
    openEditor(v).window()->close();
    settle();
    EXPECT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(QFileInfo(folder.file("data\\3.txt")).isDir());
    EXPECT_TRUE(QFileInfo(folder.file("data\\15.txt")).isDir());
    EXPECT_EQ(lines("data\\4.txt"), QStringList({"Лицей"}));
}

// The editor reads list 21 second; its box names the lists in their own order all the same.
TEST_F(EditTest, TheBoxOfListsTheEditorCouldNotReadNamesThemInTheListsOrder) {
    Vazed& v = start();
    ASSERT_TRUE(services->messages.empty());
    const QStringList names{"data\\2.txt", "data\\21.txt"};
    QStringList expected;
    for (const QString& name : names) {
        QDir().mkpath(folder.file(name));
        expected << ui::shownPath(folder.file(name));
    }
    openEditor(v);
    ASSERT_EQ(services->messages.size(), 1u);
    QStringList named;
    for (const QString& line : services->messages[0].details.split(u'\n'))
        named << line.section(QStringLiteral(": "), 0, 0);
    EXPECT_EQ(named, expected) << services->messages[0].details.toStdString();
}

// A list another program holds while the editor opens shows empty, and the box says when it is read
// again: the editor has no save, so at its next opening, which then shows the file.
TEST_F(EditTest, AListHeldWhileTheEditorOpensIsReadAgainAtItsNextOpening) {
    const ShortFileWaits shortWaits;
    writeList(5, {QStringLiteral("Лицей")});
    Vazed& v = start();
    auto held = std::make_unique<HeldFile>(folder.file("data\\5.txt"));
    Edit& e = openEditor(v);
    EXPECT_EQ(e.List5.listCount(), 0);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(services->messages[0].text.contains(QStringLiteral("при следующем открытии редактора")))
        << services->messages[0].text.toStdString();
    held.reset();
    e.window()->close();
    settle();
    EXPECT_EQ(entries(openEditor(v).List5), QStringList{"Лицей"});
}

TEST_F(EditTest, MissingOrEmptySettingsFilesOpenTheEditorInItsDesignLook) {
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing" : "empty");
        for (const char* name : {"data\\lang.txt", "data\\Skin.txt"}) {
            if (missing)
                QFile::remove(folder.file(name));
            else
                folder.write(name, "");
        }
        writeList(1, {QStringLiteral("Школа")});
        Vazed& v = start();
        services->messages.clear();
        Edit& e = openEditor(v);

        EXPECT_TRUE(e.isShown());
        EXPECT_EQ(e.caption(), "Редактирование сохранненых данных");
        EXPECT_EQ(e.Check1.caption(), "Первая сторона (левая часть)");
        EXPECT_EQ(e.Label21.caption(), "Квалификация строка 3");
        EXPECT_EQ(e.backColor(), 0x00FBE3C8u);
        EXPECT_FALSE(e.Image1.picture().isNull());
        EXPECT_EQ(e.Image1.picture().cacheKey(), e.Image2.picture().cacheKey());
        EXPECT_EQ(entries(e.List1), QStringList({"Школа"}));
        EXPECT_TRUE(services->messages.empty());
        e.unload();
        close();
        ui::discardForm<Vazed>();
        settle();
    }
}

TEST_F(EditTest, AStepOfTheLoadThatFailsIsReportedAndTheOthersStillRun) {
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
    writeList(12, {QStringLiteral("Колледж")});
    start();
    // A layout workbook without the sheet the captions come from.
    folder.write("other.xml", QByteArray("<?xml version=\"1.0\"?>\n<Workbook "
                                         "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                                         "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                                         "<Worksheet ss:Name=\"Other\"><Table/></Worksheet></Workbook>\n"));
    ui::form<velmox::Ziruduzizozod>().Spreadsheet1.setXMLURL(folder.file("other.xml"));
    services->messages.clear();
    Edit& e = ui::form<Edit>();

    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_EQ(e.backColor(), 0x00404040u);
    EXPECT_EQ(e.Check1.value(), 1);
    EXPECT_EQ(entries(e.List12), QStringList({"Колледж"}));
}

TEST_F(EditTest, ClosingTheEditorShowsTheMainWindowWritesNothingAndTheNextOpeningReadsAfresh) {
    writeList(7, {QStringLiteral("Механик")});
    Vazed& v = start();
    Edit& e = openEditor(v);
    click(e, e.Check2);
    const QByteArray before = folder.read("data\\7.txt");
    e.window()->close();
    settle();
    EXPECT_FALSE(ui::formLoaded<Edit>());
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(folder.read("data\\7.txt"), before);

    writeList(7, {QStringLiteral("Механик"), QStringLiteral("Токарь")});
    Edit& again = openEditor(v);
    EXPECT_EQ(entries(again.List7), QStringList({"Механик", "Токарь"}));
    EXPECT_EQ(again.Check1.value(), 1);
    EXPECT_EQ(again.Check2.value(), 0);
}
