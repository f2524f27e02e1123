// The settings window: its first opening, the language pair, the outline check box, the skin list
// and the settings files its close writes.
#include <QDir>
#include <QFile>
#include <algorithm>
#include <functional>
#include <vector>

#include "settings_fixture.h"
#include "value_lists/edit.h"
#include "workbook/ziruduzizozod.h"

using velmox::Help;
using velmox::Nastroiki;
using velmox::Vazed;

namespace {

QStringList listed(const ui::ListBox& l) {
    return l.items();
}

int outlined(const Vazed& v) {
    int n = 0;
    for (const velmox::PrintField& f : velmox::kPrintFields) n += (v.*f.label).borderStyle();
    return n;
}

TEST_F(SettingsTest, FirstOpeningLoadsEveryOtherWindowHiddenAndShowsTheStoredSettings) {
    Nastroiki& s = openSettings();
    Vazed& v = ui::form<Vazed>();

    EXPECT_TRUE(s.isShown());
    EXPECT_TRUE(v.isShown()) << "the main window stays as it is";
    EXPECT_EQ(s.Check1.value(), 1);
    EXPECT_EQ(s.Check2.value(), 0);
    EXPECT_EQ(s.Check3.value(), 1);
    EXPECT_EQ(s.List1.listIndex(), -1);
    EXPECT_EQ(listed(s.List1),
              QStringList({"Белый интерактив скин", "Желтый скин", "Основной скин", "Темный скин"}));
    EXPECT_EQ(outlined(v), 47);
    EXPECT_EQ(v.Text48.text(), "1");

    ASSERT_TRUE(ui::formLoaded<velmox::BazaVazed>());
    ASSERT_TRUE(ui::formLoaded<Help>());
    ASSERT_TRUE(ui::formLoaded<velmox::Print1>());
    ASSERT_TRUE(ui::formLoaded<velmox::Edit>());
    EXPECT_FALSE(ui::form<velmox::BazaVazed>().isShown());
    EXPECT_FALSE(ui::form<velmox::Edit>().isShown());
    EXPECT_FALSE(ui::form<Help>().isShown());
    EXPECT_FALSE(ui::form<velmox::Print1>().isShown());
    // Each took the stored language and skin through its own load.
    EXPECT_EQ(ui::form<velmox::BazaVazed>().Text5.text(), skinName(0));
    EXPECT_EQ(ui::form<Help>().Text2.text(), "Rus");
    EXPECT_EQ(ui::form<velmox::Print1>().Text1.text(), skinName(0));
    EXPECT_EQ(ui::form<velmox::Edit>().Text2.text(), "Rus");

    // Russian captions from column g, the fixed Russian tooltips, and the skin's pictures.
    EXPECT_EQ(s.caption(), velmox::translation('g', 29));
    EXPECT_EQ(s.Check3.caption(), velmox::translation('g', 61));
    EXPECT_EQ(s.Image1.toolTipText(), "Установить принтер");
    EXPECT_EQ(s.Image2.toolTipText(), "Установить драйвер");
    EXPECT_EQ(pictureNumber(s.Image1), 5);
    EXPECT_EQ(pictureNumber(s.Image2), 21);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(SettingsTest, PressingSettingsAgainShowsTheSameWindowWithoutLoadingIt) {
    Nastroiki& s = openSettings();
    s.Check3.setValue(0);
    ui::form<Vazed>().Image10_Click();
    EXPECT_EQ(&ui::form<Nastroiki>(), &s);
    EXPECT_EQ(s.Text4.text(), "0") << "a second load would have read \"1\" again";
}

TEST_F(SettingsTest, SettingsFilesRoundTripThroughOpeningAndClosing) {
    const QString dark = skinName(3);
    struct Case {
        const char* what;
        const char* lang;
        const QString* skin;
        const char* line;
        QByteArray langAfter, skinAfter, lineAfter;
        int check1, check2, check3;
    };
    const Case cases[] = {
        {"stored values", "Kaz", &dark, "0", "Kaz\r\n", cp1251(dark) + "\r\n", "0\r\n", 0, 1, 0},
        {"lower-case code", "rus", &dark, "1", "rus\r\n", cp1251(dark) + "\r\n", "1\r\n", 0, 0, 1},
        {"empty language line", "", &dark, "1", "\r\n", cp1251(dark) + "\r\n", "1\r\n", 0, 0, 1},
        {"unknown outline flag", "Rus", &dark, "x", "Rus\r\n", cp1251(dark) + "\r\n", "x\r\n", 1, 0, 0},
        {"missing skin file", "Rus", nullptr, "1", "Rus\r\n", "\r\n", "1\r\n", 1, 0, 1},
        {"all files missing", nullptr, nullptr, nullptr, "\r\n", "\r\n", "\r\n", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(c.lang, c.skin, c.line);
        Nastroiki& s = openSettings();
        EXPECT_EQ(s.Check1.value(), c.check1);
        EXPECT_EQ(s.Check2.value(), c.check2);
        EXPECT_EQ(s.Check3.value(), c.check3);
        closeByOperator(s);
        EXPECT_FALSE(ui::formLoaded<Nastroiki>());
        EXPECT_EQ(folder.read("data\\lang.txt"), c.langAfter);
        EXPECT_EQ(folder.read("data\\Skin.txt"), c.skinAfter);
        EXPECT_EQ(folder.read("data\\Line.txt"), c.lineAfter);
        EXPECT_TRUE(services->messages.empty()) << services->messages.front().text.toStdString();
        TearDown();
        SetUp();
    }
}

// The one-value files as an editor of another system writes them: a lone LF ends the line there.
TEST_F(SettingsTest, OneValueFilesWithLfLineEndsReadAsMeantByEveryWindow) {
    const QString dark = skinName(3);
    struct Case {
        const char* what;
        QByteArray (*file)(const QString& value);
    };
    const Case cases[] = {
        {"LF alone", [](const QString& v) { return cp1251(v) + "\n"; }},
        {"LF, then another line", [](const QString& v) { return cp1251(v) + "\nRus\n"; }},
        {"UTF-8 with LF alone", [](const QString& v) { return "\xEF\xBB\xBF" + v.toUtf8() + "\n"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("data\\lang.txt", c.file("Kaz"));
        folder.write("data\\Skin.txt", c.file(dark));
        folder.write("data\\Line.txt", c.file("0"));
        folder.write("data\\pw.txt", c.file("11000"));
        folder.write("data\\ph.txt", c.file("5000"));
        Vazed& v = start();
        EXPECT_EQ(v.Text43.text(), "Kaz");
        EXPECT_EQ(v.Label73.caption(), QStringLiteral("Қаріп")) << "the language is applied";
        EXPECT_EQ(v.Text47.text(), dark);
        EXPECT_EQ(v.Text48.text(), "0");
        v.Image10_Click();
        Nastroiki& s = ui::form<Nastroiki>();
        EXPECT_EQ(s.Check2.value(), 1);
        EXPECT_EQ(s.Text3.text(), dark);
        EXPECT_EQ(s.Text4.text(), "0");
        EXPECT_EQ(ui::form<velmox::BazaVazed>().Text6.text(), "11000");
        EXPECT_EQ(ui::form<velmox::BazaVazed>().Text7.text(), "5000");
        closeByOperator(s);
        EXPECT_EQ(folder.read("data\\lang.txt"), "Kaz\r\n");
        EXPECT_EQ(folder.read("data\\Line.txt"), "0\r\n");
        EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
        TearDown();
        SetUp();
    }
}

TEST_F(SettingsTest, AnUnknownCodeChangesNoCaptionButReachesEveryWindow) {
    writeSettings("rus", nullptr, "x");
    Nastroiki& s = openSettings();
    EXPECT_EQ(s.caption(), "Настройки программы");
    EXPECT_EQ(s.Check1.caption(), "Русский");
    EXPECT_EQ(s.Image1.toolTipText(), "");
    EXPECT_EQ(ui::form<Vazed>().Text43.text(), "rus");
    EXPECT_EQ(ui::form<velmox::BazaVazed>().Text4.text(), "rus");
    EXPECT_EQ(ui::form<velmox::Edit>().Text2.text(), "rus");
    EXPECT_EQ(ui::form<Help>().Text2.text(), "rus");
    EXPECT_EQ(ui::form<velmox::Print1>().Text2.text(), "rus");
    // No skin: the window keeps its design look and its buttons stay empty.
    EXPECT_EQ(s.backColor(), 0x00FBE3C8u);
    EXPECT_TRUE(s.Image1.picture().isNull());
    EXPECT_EQ(s.Text4.text(), "x");
    EXPECT_EQ(outlined(ui::form<Vazed>()), 0) << "an unknown flag draws no outline";
}

TEST_F(SettingsTest, OnlyTheFirstLineOfASettingsFileCountsAndTheCloseKeepsOnlyIt) {
    folder.write("data\\lang.txt", "Kaz\r\nRus\r\n");
    Nastroiki& s = openSettings();
    EXPECT_EQ(s.Text2.text(), "Kaz");
    closeByOperator(s);
    EXPECT_EQ(folder.read("data\\lang.txt"), "Kaz\r\n");
}

TEST_F(SettingsTest, ReopeningAfterACloseShowsWhatTheCloseWrote) {
    Nastroiki& s = openSettings();
    s.Check2.setValue(1);
    s.Check3.setValue(0);
    closeByOperator(s);
    ASSERT_FALSE(ui::formLoaded<Nastroiki>());
    ui::form<Vazed>().Image10_Click();
    Nastroiki& again = ui::form<Nastroiki>();
    EXPECT_EQ(again.Check2.value(), 1);
    EXPECT_EQ(again.Check1.value(), 0);
    EXPECT_EQ(again.Check3.value(), 0);
    EXPECT_EQ(again.caption(), velmox::translation('h', 29));
}

// The radio pair: every click ends with one language ticked and applied everywhere.
TEST_F(SettingsTest, LanguagePairSwitchesAsTheOperatorExpects) {
    struct Case {
        const char* what;
        const char* stored;
        int clicked;  // 1 "Русский", 2 "Казахский"
        const char* language;
    };
    const Case cases[] = {
        {"Kazakh while Russian", "Rus", 2, "Kaz"},   {"Russian while Kazakh", "Kaz", 1, "Rus"},
        {"the ticked Russian box", "Rus", 1, "Kaz"}, {"the ticked Kazakh box", "Kaz", 2, "Rus"},
        {"Russian while neither", "x", 1, "Rus"},    {"Kazakh while neither", "x", 2, "Kaz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString main = skinName(0);
        writeSettings(c.stored, &main, "1");
        Nastroiki& s = openSettingsShown();
        clickCheck(s, c.clicked == 1 ? s.Check1 : s.Check2);
        const bool kazakh = QLatin1String(c.language) == QLatin1String("Kaz");
        EXPECT_EQ(s.Text2.text(), c.language);
        EXPECT_EQ(s.Check1.value(), kazakh ? 0 : 1);
        EXPECT_EQ(s.Check2.value(), kazakh ? 1 : 0);
        EXPECT_EQ(ui::form<Vazed>().Text43.text(), c.language);
        EXPECT_EQ(ui::form<Help>().Text2.text(), c.language);
        EXPECT_EQ(s.Frame1.caption(), velmox::translation(kazakh ? 'h' : 'g', 25));
        TearDown();
        SetUp();
    }
}

TEST_F(SettingsTest, OutlineCheckBoxDrawsAndRemovesTheBordersOfAll47FieldLabels) {
    Nastroiki& s = openSettingsShown();
    Vazed& v = ui::form<Vazed>();
    clickCheck(s, s.Check3);
    EXPECT_EQ(s.Text4.text(), "0");
    EXPECT_EQ(outlined(v), 0);
    clickCheck(s, s.Check3);
    EXPECT_EQ(s.Text4.text(), "1");
    EXPECT_EQ(outlined(v), 47);
    EXPECT_EQ(v.Text48.text(), "1") << "the main window's own flag box is left alone";
    clickCheck(s, s.Check3);
    EXPECT_EQ(v.Text48.text(), "1");
    closeByOperator(s);
    EXPECT_EQ(folder.read("data\\Line.txt"), "0\r\n");
}

// A close whose writes fail still shows the main window and names what it could not write as every
// save does: one file with its reason, several counted with each file and reason below. It creates no
// data folder, and writes the files it can.
TEST_F(SettingsTest, AFailedCloseNamesTheFilesItCouldNotWriteAndStillBringsTheMainWindowBack) {
    struct Case {
        const char* name;
        std::vector<const char*> folders;  // where a settings file belongs; empty: no data folder
        QString text;
        QStringList details;
    };
    const QString noFolder = QStringLiteral("папка «data» не найдена");
    const QString isFolder = QStringLiteral("на месте файла находится папка");
    const Case cases[] = {
        {"no data folder",
         {},
         QStringLiteral("Не всё удалось сохранить, ошибок: 3."),
         {"data/lang.txt: " + noFolder, "data/Skin.txt: " + noFolder, "data/Line.txt: " + noFolder}},
        {"lang.txt a folder",
         {"data/lang.txt"},
         QStringLiteral("Не удалось записать файл «data/lang.txt»."),
         {"Причина: " + isFolder}},
        {"lang.txt and Line.txt folders",
         {"data/lang.txt", "data/Line.txt"},
         QStringLiteral("Не всё удалось сохранить, ошибок: 2."),
         {"data/lang.txt: " + isFolder, "data/Line.txt: " + isFolder}},
    };
    const QByteArray written[] = {"Kaz\r\n", cp1251(skinName(0)) + "\r\n", "1\r\n"};
    const char* files[] = {"data/lang.txt", "data/Skin.txt", "data/Line.txt"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Nastroiki& s = openSettings();
        Vazed& v = ui::form<Vazed>();
        v.hide();
        s.Check2.setValue(1);
        if (c.folders.empty()) {
            ASSERT_TRUE(QDir(folder.file("data")).removeRecursively());
        }
        for (const char* name : c.folders) {
            QFile::remove(folder.file(QString::fromLatin1(name)));
            ASSERT_TRUE(QDir().mkpath(folder.file(QString::fromLatin1(name))));
        }
        closeByOperator(s);
        EXPECT_TRUE(v.isShown());
        EXPECT_FALSE(ui::formLoaded<Nastroiki>());
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].title, "Ошибка");
        EXPECT_EQ(services->messages[0].text, c.text);
        EXPECT_EQ(services->messages[0].details.split(u'\n'), c.details);
        if (c.folders.empty()) {
            EXPECT_FALSE(QFileInfo::exists(folder.file("data")));
        }
        // The files that could be written are.
        for (int i = 0; i < 3 && !c.folders.empty(); ++i) {
            if (std::ranges::none_of(c.folders, [&](const char* f) { return qstrcmp(f, files[i]) == 0; })) {
                EXPECT_EQ(folder.read(files[i]), written[i]) << files[i];
            }
        }
        for (const char* name : c.folders) QDir(folder.file(QString::fromLatin1(name))).removeRecursively();
        TearDown();
        SetUp();
    }
}

// The main window's close keeps what the open settings window applied.
TEST_F(SettingsTest, ClosingTheMainWindowWithTheSettingsWindowOpenWritesTheSettings) {
    Nastroiki& s = openSettingsShown();
    clickCheck(s, s.Check2);
    clickSkin(s, skinName(3));
    close();
    EXPECT_EQ(services->endedWith, std::vector<int>{0});
    EXPECT_EQ(folder.read("data\\lang.txt"), "Kaz\r\n");
    EXPECT_EQ(folder.read("data\\Skin.txt"), cp1251(skinName(3)) + "\r\n");
    EXPECT_EQ(folder.read("data\\Line.txt"), "1\r\n");
}

TEST_F(SettingsTest, ClosingTheMainWindowWithoutASettingsWindowLeavesTheSettingsFiles) {
    folder.write("data\\lang.txt", "Rus\r\nsecond line\r\n");
    start();
    close();
    EXPECT_EQ(folder.read("data\\lang.txt"), "Rus\r\nsecond line\r\n");
}

// A settings file that cannot be read is the operator's to mend: the windows read it as empty, but
// no close writes that empty line over it. Once the operator sets that value, its file is written
// with it. The start names the file; the settings window's load and its close add no box.
TEST_F(SettingsTest, ASettingsFileThatCannotBeReadIsKeptUntilTheOperatorSetsItsValue) {
    const QString dark = skinName(3);
    // A byte-order mark, then a byte that UTF-8 has not.
    const QByteArray unreadable = "\xEF\xBB\xBFKaz\xFF\r\n";
    const QByteArray written[] = {"Rus\r\n", cp1251(skinName(0)) + "\r\n", "1\r\n"};
    struct Case {
        const char* file;
        int at;  // of lang.txt, Skin.txt, Line.txt
        // What the operator sets in the open settings window, or nothing; and its file then.
        std::function<void(Nastroiki&)> set;
        QByteArray after;
    };
    const Case cases[] = {
        {"data\\lang.txt", 0, nullptr, unreadable},
        {"data\\lang.txt", 0, [](Nastroiki& s) { clickCheck(s, s.Check2); }, "Kaz\r\n"},
        {"data\\Skin.txt", 1, nullptr, unreadable},
        {"data\\Skin.txt", 1, [&dark](Nastroiki& s) { clickSkin(s, dark); }, cp1251(dark) + "\r\n"},
        {"data\\Line.txt", 2, nullptr, unreadable},
        {"data\\Line.txt", 2, [](Nastroiki& s) { clickCheck(s, s.Check3); }, "1\r\n"},
    };
    const char* files[] = {"data\\lang.txt", "data\\Skin.txt", "data\\Line.txt"};
    for (const bool mainWindowCloses : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.file) + (c.set ? ", set" : ", not set") +
                         (mainWindowCloses ? ", the main window closes" : ", the settings window closes"));
            folder.write(c.file, unreadable);
            Nastroiki& s = openSettingsShown();
            ASSERT_EQ(services->messages.size(), 1u)
                << "the start names the file, the settings window adds none";
            EXPECT_TRUE(
                services->messages[0].all().contains(QString::fromLatin1(c.file).replace(u'\\', u'/')))
                << services->messages[0].all().toStdString();
            if (c.set) c.set(s);
            if (mainWindowCloses)
                close();
            else
                closeByOperator(s);
            EXPECT_EQ(services->messages.size(), 1u) << services->messages.back().all().toStdString();
            for (int i = 0; i < 3; ++i) {
                if (i == c.at)
                    EXPECT_EQ(folder.read(files[i]), c.after) << files[i];
                else
                    EXPECT_EQ(folder.read(files[i]), written[i]) << files[i] << " is written as ever";
            }
            TearDown();
            SetUp();
        }
    }
}

}  // namespace
