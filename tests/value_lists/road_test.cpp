// "Редактировать" and the operator's road through the editor: what the entry-state save merges
// shows in the editor, a deletion lasts, and the main window comes back.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "platform/program_folder.h"
#include "settings/nastroiki.h"
#include "value_lists/edit_fixture.h"
#include "workbook/ziruduzizozod.h"

using velmox::Edit;
using velmox::Vazed;

namespace {
void typeInto(ui::ComboBox& box, const QString& text) {
    QLineEdit* edit = static_cast<QComboBox*>(box.widget())->lineEdit();
    edit->setFocus();
    typeText(edit, text);
}
}  // namespace

TEST_F(EditTest, OperatorsRoadADeletedEntryNeverComesBack) {
    writeList(2, {"Лицей №1", "Опечатка", "Колледж"});
    writeList(1, {"Школа", "Гимназия"});
    Vazed& v = start();
    expose(v);
    typeInto(v.Combo3, QStringLiteral("Академия"));
    ASSERT_EQ(v.Combo3.text(), "Академия");

    click(v, v.Image24);
    const QStringList merged = {"Лицей №1", "Опечатка", "Колледж", "Академия"};
    EXPECT_EQ(folder.read("data\\2.txt"), crlf(merged));
    EXPECT_FALSE(v.isShown());
    Edit& e = ui::form<Edit>();
    EXPECT_TRUE(e.isShown());
    EXPECT_EQ(entries(e.List2), merged);

    clickEntry(e, e.List2, 1);
    click(e, e.Image4);
    const QStringList kept = {"Лицей №1", "Колледж", "Академия"};
    EXPECT_EQ(folder.read("data\\2.txt"), crlf(kept));
    // Nothing selected in list 1: its file keeps its bytes, its last entry is selected.
    const QByteArray list1 = folder.read("data\\1.txt");
    click(e, e.Image1);
    EXPECT_EQ(folder.read("data\\1.txt"), list1);
    EXPECT_EQ(e.List1.listIndex(), 1);

    e.window()->close();
    settle();
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(v.Combo3.text(), "Академия");
    // "Блок" and the close merge from the files as they are now.
    click(v, v.Image15);
    EXPECT_EQ(folder.read("data\\2.txt"), crlf(kept));
    close();
    EXPECT_EQ(folder.read("data\\2.txt"), crlf(kept));
    EXPECT_EQ(folder.read("data\\1.txt"), list1);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(EditTest, AnEntryThatTheEntryBoxHoldsComesBackAtTheNextSave) {
    writeList(1, {"Школа", "Гимназия"});
    Vazed& v = start();
    expose(v);
    typeInto(v.Combo2, QStringLiteral("Гимназия"));
    Edit& e = openEditor(v);
    clickEntry(e, e.List1, 1);
    click(e, e.Image1);
    EXPECT_EQ(lines("data\\1.txt"), QStringList({"Школа"}));
    e.window()->close();
    settle();
    // The value is in use in the main window: the save puts it back.
    openEditor(v);
    EXPECT_EQ(lines("data\\1.txt"), QStringList({"Школа", "Гимназия"}));
    EXPECT_EQ(entries(ui::form<Edit>().List1), QStringList({"Школа", "Гимназия"}));
}

TEST_F(EditTest, AnEditorLoadedHiddenEarlierReadsTheFilesAgainBeforeItShows) {
    writeList(1, {"Школа"});
    Vazed& v = start();
    // The settings window's broadcast loads the editor hidden, with the lists of that moment.
    Edit& hidden = ui::form<Edit>();
    hidden.Text2.setText(QStringLiteral("Kaz"));
    ASSERT_FALSE(hidden.isShown());
    ASSERT_EQ(entries(hidden.List1), QStringList({"Школа"}));
    hidden.Check2.setValue(1);

    expose(v);
    typeInto(v.Combo2, QStringLiteral("Гимназия"));
    click(v, v.Image24);
    ASSERT_EQ(&ui::form<Edit>(), &hidden);
    EXPECT_TRUE(hidden.isShown());
    EXPECT_EQ(entries(hidden.List1), QStringList({"Школа", "Гимназия"}));
    // Only the lists are read again: the language and the page stay.
    EXPECT_EQ(hidden.Text2.text(), "Kaz");
    EXPECT_EQ(hidden.Check2.value(), 1);

    // A delete writes the list as the save left it, less the deleted entry.
    click(hidden, hidden.Check1);
    clickEntry(hidden, hidden.List1, 0);
    click(hidden, hidden.Image1);
    EXPECT_EQ(lines("data\\1.txt"), QStringList({"Гимназия"}));
}

TEST_F(EditTest, EditPlacesTheFieldLabelsBetweenItsTwoStepsAndExportsNothing) {
    Vazed& v = start();
    const QByteArray layout = folder.read("1.xml");
    const QByteArray list4 = QByteArray("\xEF\xBB\xBF") + u"Алматы\r\n"_qs.toUtf8();
    folder.write("data\\4.txt", list4);
    velmox::layoutSheet().setInteger(u"c7", 5000);
    velmox::layoutSheet().setInteger(u"e7", 700);
    openEditor(v);
    EXPECT_EQ(v.Label7.top(), ui::Twips(5000));
    EXPECT_EQ(v.Label7.left(), ui::Twips(700));
    EXPECT_EQ(lines("2.txt").size(), 47);
    EXPECT_EQ(folder.read("1.xml"), layout);
    // Every entry box empty: no list file is touched.
    EXPECT_EQ(folder.read("data\\4.txt"), list4);
    EXPECT_FALSE(folder.exists("data\\1.txt"));
}

TEST_F(EditTest, AFailedSaveIsReportedAndTheEditorStillOpens) {
    Vazed& v = start();
    expose(v);
    typeInto(v.Combo2, QStringLiteral("Гимназия"));
    // A folder where list 1's file should be: the merge of list 1 cannot write it.
    QDir().mkpath(folder.file("data\\1.txt"));
    services->messages.clear();
    click(v, v.Image24);
    // One message, the save's: the editor, which cannot read the list either, does not repeat it.
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\1.txt"))));
    EXPECT_EQ(ui::form<Edit>().List1.listCount(), 0);
    EXPECT_TRUE(ui::form<Edit>().isShown());
    EXPECT_FALSE(v.isShown());
}

TEST_F(EditTest, TheSaveKeepsAListFilesByteOrderMarkSoItsEntriesKeepTheirBytes) {
    const QByteArray bom("\xEF\xBB\xBF");
    folder.write("data\\10.txt", bom + u"Өскемен\r\nАлматы\r\n"_qs.toUtf8());
    Vazed& v = start();
    expose(v);
    typeInto(v.Combo11, QStringLiteral("Тараз"));
    Edit& e = openEditor(v);
    EXPECT_EQ(folder.read("data\\10.txt"), bom + u"Өскемен\r\nАлматы\r\nТараз\r\n"_qs.toUtf8());
    // The Kazakh entry goes: what is left would fit the code page, yet keeps its bytes.
    clickEntry(e, e.List10, 0);
    click(e, e.Image12);
    EXPECT_EQ(folder.read("data\\10.txt"), bom + u"Алматы\r\nТараз\r\n"_qs.toUtf8());
    e.window()->close();
    settle();
    close();
    EXPECT_EQ(folder.read("data\\10.txt"), bom + u"Алматы\r\nТараз\r\n"_qs.toUtf8());
}

TEST_F(EditTest, PressedInTheLayoutViewTheMainWindowComesBackInTheLayoutView) {
    Vazed& v = start();
    expose(v);
    click(v, v.Image15);
    ASSERT_EQ(v.Frame1.height(), ui::Twips(1300));
    click(v, v.Image24);
    Edit& e = ui::form<Edit>();
    ASSERT_TRUE(e.isShown());
    e.window()->close();
    settle();
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(v.Frame1.height(), ui::Twips(1300));
    EXPECT_FALSE(v.Image15.enabled());
    EXPECT_TRUE(v.Image18.enabled());
}

TEST_F(EditTest, AfterTheSettingsWindowLoadedTheEditorHiddenEditShowsTheMergedValue) {
    writeList(1, {"Школа"});
    Vazed& v = start();
    expose(v);
    click(v, v.Image10);
    ASSERT_TRUE(ui::formLoaded<velmox::Nastroiki>());
    ASSERT_TRUE(ui::formLoaded<Edit>());
    ASSERT_FALSE(ui::form<Edit>().isShown());
    ui::form<velmox::Nastroiki>().window()->close();
    settle();
    ASSERT_TRUE(v.isShown());

    typeInto(v.Combo2, QStringLiteral("Гимназия"));
    click(v, v.Image24);
    Edit& e = ui::form<Edit>();
    EXPECT_TRUE(e.isShown());
    EXPECT_EQ(entries(e.List1), QStringList({"Школа", "Гимназия"}));
    clickEntry(e, e.List1, 0);
    click(e, e.Image1);
    EXPECT_EQ(lines("data\\1.txt"), QStringList({"Гимназия"}));
}

// The editor stays open beside the main window, whose "Блок" adds to a list the editor shows: a
// delete then starts from the file as the save left it, so the saved value stays, and the editor
// shows the list as written.
TEST_F(EditTest, ADeleteAfterASaveOfTheMainWindowKeepsWhatTheSaveWrote) {
    for (const int picked : {-1, 0}) {
        SCOPED_TRACE(picked < 0 ? "nothing picked" : "the first entry picked");
        writeList(1, {"Школа", "Гимназия"});
        QFile::remove(folder.file("2.txt"));
        Vazed& v = start();
        expose(v);
        click(v, v.Image10);
        click(v, v.Image24);
        Edit& e = ui::form<Edit>();
        ASSERT_TRUE(e.isShown());
        ui::form<velmox::Nastroiki>().window()->close();
        settle();
        ASSERT_TRUE(v.isShown());
        ASSERT_TRUE(e.isShown());
        typeInto(v.Combo2, QStringLiteral("FreshVal"));
        click(v, v.Image15);
        ASSERT_EQ(lines("data\\1.txt"), QStringList({"Школа", "Гимназия", "FreshVal"}));
        ASSERT_EQ(entries(e.List1), QStringList({"Школа", "Гимназия"}));

        if (picked >= 0) clickEntry(e, e.List1, picked);
        click(e, e.Image1);
        const QStringList left =
            picked < 0 ? QStringList{"Школа", "Гимназия", "FreshVal"} : QStringList{"Гимназия", "FreshVal"};
        EXPECT_EQ(folder.read("data\\1.txt"), crlf(left));
        EXPECT_EQ(entries(e.List1), left);
        EXPECT_EQ(e.List1.listIndex(), left.size() - 1);
        EXPECT_TRUE(services->messages.empty());
        e.unload();
        close();
        ui::discardForm<Vazed>();
        settle();
    }
}

namespace {
// A mark that promises UTF-8 and a line that is none: the file cannot be read.
const QByteArray kUnreadable = QByteArray("\xEF\xBB\xBFGood1\r\nBad\xFF\xFE\r\nGood2\r\n");
}  // namespace

// At a fresh start with a list file that cannot be read, the start says so once; the settings and the
// editor open with that list empty and the others usable, no step says it again, and nothing writes it.
TEST_F(EditTest, AListUnreadableAtTheStartIsToldOnceAndTheWindowsOpenWithItEmpty) {
    for (const bool settingsFirst : {true, false}) {
        SCOPED_TRACE(settingsFirst ? "Настройки, then Редактировать" : "Редактировать");
        folder.write("data\\13.txt", kUnreadable);
        writeList(12, {"Колледж"});
        QFile::remove(folder.file("2.txt"));
        services->messages.clear();
        Vazed& v = start();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\13.txt"))));
        expose(v);
        if (settingsFirst) {
            click(v, v.Image10);
            ASSERT_TRUE(ui::formLoaded<velmox::Nastroiki>());
            EXPECT_TRUE(ui::form<velmox::Nastroiki>().isShown());
            ASSERT_TRUE(ui::formLoaded<Edit>());
            EXPECT_EQ(ui::form<Edit>().List13.listCount(), 0);
            EXPECT_EQ(entries(ui::form<Edit>().List12), QStringList({"Колледж"}));
            ui::form<velmox::Nastroiki>().window()->close();
            settle();
        }
        // A value for the list: the save leaves the file alone without a word.
        typeInto(v.Combo14, QStringLiteral("Good3"));
        click(v, v.Image24);
        Edit& e = ui::form<Edit>();
        ASSERT_TRUE(e.isShown());
        EXPECT_EQ(e.List13.listCount(), 0);
        EXPECT_EQ(entries(e.List12), QStringList({"Колледж"}));
        click(e, e.Check2);
        click(e, e.Image15);
        EXPECT_EQ(folder.read("data\\13.txt"), kUnreadable);
        EXPECT_EQ(services->messages.size(), 1u);
        clickEntry(e, e.List12, 0);
        click(e, e.Image14);
        EXPECT_EQ(folder.read("data\\12.txt"), QByteArray());
        e.unload();
        close();
        EXPECT_EQ(folder.read("data\\13.txt"), kUnreadable);
        EXPECT_EQ(services->messages.size(), 1u);
        ui::discardForm<velmox::Nastroiki>();
        ui::discardForm<Vazed>();
        settle();
    }
}

// The file goes bad while the editor lies loaded hidden: one message, and a delete in that list, with
// nothing to delete, writes nothing.
TEST_F(EditTest, AListFileThatWentBadIsToldOnceAndADeleteNeverWritesIt) {
    Vazed& v = start();
    expose(v);
    click(v, v.Image10);
    ASSERT_TRUE(ui::formLoaded<Edit>());
    ui::form<velmox::Nastroiki>().window()->close();
    settle();
    folder.write("data\\13.txt", kUnreadable);
    typeInto(v.Combo14, QStringLiteral("Good3"));
    click(v, v.Image24);
    Edit& e = ui::form<Edit>();
    ASSERT_TRUE(e.isShown());
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\13.txt"))));
    click(e, e.Check2);
    ASSERT_EQ(e.List13.listCount(), 0);
    click(e, e.Image15);
    EXPECT_EQ(folder.read("data\\13.txt"), kUnreadable);
    EXPECT_EQ(services->messages.size(), 1u);
}

// data\3.txt turns into a folder after the start. A save that meets it says that it wrote nothing
// there, and the editor that opens after it says that it shows the list empty: the operator learns
// both, in the one box of the action. Neither is said again.
TEST_F(EditTest, AListThatCannotBeReadIsNamedByTheSaveAndByTheEditorThatShowsItEmpty) {
    const QString shown = QStringLiteral("data/3.txt");
    const QString reason = QStringLiteral("на месте файла находится папка");
    const QString unsaved =
        QStringLiteral("Не удалось записать файл «%1». Причина: файл не читается: %2").arg(shown, reason);
    const QString shownEmpty = QStringLiteral(
                                   "Не удалось прочитать файл списка «%1». Список показан "
                                   "пустым, а его файл программа не изменит.")
                                   .arg(shown);
    struct Case {
        const char* name;
        bool typed;         // a value for the list in its box
        bool savedBefore;   // a save before "Редактировать" met the file already
        QStringList boxes;  // each box: its text, then its details
    };
    const Case cases[] = {
        {"no value for the list", false, false, {shownEmpty + u'\n' + shown + ": " + reason}},
        {"a value for the list",
         true,
         false,
         {"Не всё удалось сделать, ошибок: 2. Подробности ниже.\n" + unsaved + u'\n' + shownEmpty + u' ' +
          shown + ": " + reason}},
        {"a value already saved once",
         true,
         true,
         {QStringLiteral("Не удалось записать файл «%1».\nПричина: файл не читается: %2").arg(shown, reason),
          shownEmpty + u'\n' + shown + ": " + reason}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeList(3, {QStringLiteral("Школа")});
        QFile::remove(folder.file("2.txt"));  // no last value in the list's box
        Vazed& v = start();
        expose(v);
        ASSERT_TRUE(services->messages.empty());
        QFile::remove(folder.file("data\\3.txt"));
        ASSERT_TRUE(QDir().mkpath(folder.file("data\\3.txt")));
        if (c.typed) typeInto(v.Combo4, QStringLiteral("Академия"));
        if (c.savedBefore) v.SaveEntryState();
        click(v, v.Image24);
        Edit& e = ui::form<Edit>();
        ASSERT_TRUE(e.isShown());
        EXPECT_EQ(e.List3.listCount(), 0);
        QStringList boxes;
        for (const auto& m : services->messages) boxes << m.text + u'\n' + m.details;
        EXPECT_EQ(boxes, c.boxes);

        // A delete in that list, the next opening and the close add nothing, and the folder stays.
        click(e, e.Image5);
        e.window()->close();
        settle();
        openEditor(v).window()->close();
        settle();
        close();
        EXPECT_EQ(services->messages.size(), c.boxes.size());
        EXPECT_TRUE(QFileInfo(folder.file("data\\3.txt")).isDir());
        QDir(folder.file("data\\3.txt")).removeRecursively();
        TearDown();
        SetUp();
    }
}
