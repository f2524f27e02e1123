// The delete buttons: the selected entry leaves its list, the file is rewritten at once in its own
// form, and a write that fails leaves screen and file agreeing.
#include <QFile>
#include <QFileInfo>

#include "common/text_file.h"
#include "platform/error.h"
#include "platform/program_folder.h"
#include "support/held_file.h"
#include "value_lists/edit_fixture.h"

using velmox::Edit;
using velmox::Vazed;

namespace {
const QByteArray kBom("\xEF\xBB\xBF");
}

TEST_F(EditTest, EachClickRemovesTheSelectedEntryRewritesTheFileAndSelectsTheLastEntry) {
    struct Step {
        int select;  // the entry the operator clicks first; -1: none
        QStringList left;
        int selected;
    };
    const Step steps[] = {
        {1, {"A", "C"}, 1},  // B goes, C is selected
        {-1, {"A"}, 0},      // the next click takes the selected last entry
        {-1, {}, -1},        // and the one after empties the list
        {-1, {}, -1},        // an empty list writes an empty file again
    };
    writeList(8, {"A", "B", "C"});
    Vazed& v = start();
    Edit& e = openEditor(v);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.left.join(u',').toStdString());
        if (s.select >= 0) clickEntry(e, e.List8, s.select);
        click(e, e.Image10);
        EXPECT_EQ(entries(e.List8), s.left);
        EXPECT_EQ(e.List8.listIndex(), s.selected);
        EXPECT_EQ(folder.read("data\\8.txt"), crlf(s.left));
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(EditTest, AClickWithNothingSelectedKeepsTheFilesBytesAndSelectsTheLastEntry) {
    const QByteArray bytes = cp1251(QStringLiteral("Алматы\r\n\r\nАстана\r\nАстана\r\n"));
    folder.write("data\\20.txt", bytes);
    Vazed& v = start();
    Edit& e = openEditor(v);
    click(e, e.Check2);
    click(e, e.Image22);
    EXPECT_EQ(folder.read("data\\20.txt"), bytes);
    EXPECT_EQ(e.List20.listCount(), 4);
    EXPECT_EQ(e.List20.listIndex(), 3);
}

TEST_F(EditTest, AnEmptyListWithoutAFileCreatesAnEmptyFile) {
    Vazed& v = start();
    Edit& e = openEditor(v);
    ASSERT_FALSE(folder.exists("data\\9.txt"));
    click(e, e.Image11);
    ASSERT_TRUE(folder.exists("data\\9.txt"));
    EXPECT_EQ(folder.read("data\\9.txt"), QByteArray());
}

TEST_F(EditTest, AButtonDeletesOnlyFromItsOwnListAndOtherSelectionsStay) {
    writeList(1, {"Школа 1", "Школа 2"});
    writeList(11, {"Колледж 1", "Колледж 2", "Колледж 3"});
    Vazed& v = start();
    Edit& e = openEditor(v);
    const QByteArray list1 = folder.read("data\\1.txt");
    clickEntry(e, e.List1, 0);
    click(e, e.Check2);
    clickEntry(e, e.List11, 1);
    click(e, e.Image13);
    EXPECT_EQ(entries(e.List11), QStringList({"Колледж 1", "Колледж 3"}));
    EXPECT_EQ(lines("data\\11.txt"), QStringList({"Колледж 1", "Колледж 3"}));
    EXPECT_EQ(entries(e.List1), QStringList({"Школа 1", "Школа 2"}));
    EXPECT_EQ(e.List1.listIndex(), 0);
    EXPECT_EQ(folder.read("data\\1.txt"), list1);
    // The main window hears nothing of it.
    EXPECT_EQ(v.List11.items(), QStringList({"Колледж 1", "Колледж 2", "Колледж 3"}));
}

// What stays in the file keeps its bytes: the Windows-1251 file stays one, a file with a byte-order
// mark keeps it even when what is left would fit the code page, and every byte of the code page
// comes back as it was.
TEST_F(EditTest, EntriesLeftInTheFileKeepTheirBytes) {
    QByteArray everyByte;
    for (int b = 0x20; b <= 0xFF; ++b) everyByte += char(b);
    struct Case {
        const char* name;
        QByteArray head;  // before the first line: a byte-order mark or nothing
        QList<QByteArray> lines;
        int deleted;
    };
    const Case cases[] = {
        {"code page", {}, {cp1251(u"Алматы"_qs), {}, cp1251(u"Шымкент"_qs), cp1251(u"Астана"_qs)}, 2},
        {"every byte", {}, {"first", everyByte, "last"}, 0},
        {"a line feed inside an entry", {}, {"one\ntwo", "three"}, 1},
        {"byte-order mark, a Kazakh letter deleted",
         kBom,
         {u"Қарағанды"_qs.toUtf8(), u"Алматы"_qs.toUtf8(), u"Астана"_qs.toUtf8()},
         0},
        {"byte-order mark, a Kazakh letter kept", kBom, {u"Өскемен"_qs.toUtf8(), u"Тараз"_qs.toUtf8()}, 1},
    };
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray file = c.head, expected = c.head;
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            file += c.lines[i] + "\r\n";
            if (i != c.deleted) expected += c.lines[i] + "\r\n";
        }
        folder.write("data\\6.txt", file);
        Edit& e = openEditor(v);
        clickEntry(e, e.List6, c.deleted);
        click(e, e.Image8);
        EXPECT_EQ(folder.read("data\\6.txt").toHex(' '), expected.toHex(' '));
        e.unload();
        settle();
    }
}

TEST_F(EditTest, ADeleteWithoutTheDataFolderSaysSoCreatesNoFolderAndShowsTheListAsTheFileIs) {
    writeList(2, {"Лицей", "Школа"});
    Vazed& v = start();
    Edit& e = openEditor(v);
    ASSERT_TRUE(QDir(folder.file("data")).removeRecursively());
    clickEntry(e, e.List2, 0);
    click(e, e.Image4);

    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\2.txt"))));
    EXPECT_FALSE(folder.exists("data"));
    // No file keeps the entries any more: the list shows what the file holds.
    EXPECT_EQ(e.List2.listCount(), 0);
}

TEST_F(EditTest, AFailedWriteKeepsTheEntryOnScreenAsInTheFile) {
    // A list file that can be read but never replaced, even by root: a link to a file of the
    // kernel's, beside which no temporary file can be made.
    const QString target = QStringLiteral("/proc/version");
    const textfile::ReadResult kernel = textfile::readLines(target);
    if (!kernel.error.isEmpty() || kernel.lines.isEmpty())
        GTEST_SKIP() << "no readable " << target.toStdString();
    QDir().mkpath(folder.file("data"));
    ASSERT_TRUE(QFile::link(target, folder.file("data\\12.txt")));
    Vazed& v = start();
    Edit& e = openEditor(v);
    click(e, e.Check2);
    ASSERT_EQ(entries(e.List12), kernel.lines);
    clickEntry(e, e.List12, 0);
    click(e, e.Image14);

    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\12.txt"))));
    EXPECT_EQ(entries(e.List12), kernel.lines);
    EXPECT_EQ(e.List12.listIndex(), 0);
    EXPECT_TRUE(QFileInfo(folder.file("data\\12.txt")).isSymLink());
}

TEST_F(EditTest, ADeleteInAReadOnlyFileKeepsTheEntryOnScreenAndInTheFile) {
    writeList(8, {"A", "B", "C"});
    const QByteArray bytes = folder.read("data\\8.txt");
    QFile::setPermissions(folder.file("data\\8.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Vazed& v = start();
    Edit& e = openEditor(v);
    clickEntry(e, e.List8, 1);
    click(e, e.Image10);

    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("data\\8.txt"))));
    EXPECT_EQ(folder.read("data\\8.txt"), bytes);
    EXPECT_EQ(entries(e.List8), QStringList({"A", "B", "C"}));
    EXPECT_EQ(e.List8.listIndex(), 1);
    QFile::setPermissions(folder.file("data\\8.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Another program holds the list file at the click: the list keeps what it shows, the box says the
// delete was not done, and the same click deletes once the file is free.
TEST_F(EditTest, ADeleteInAListHeldByAnotherProgramKeepsTheListAndWorksOnceTheFileIsFree) {
    const ShortFileWaits waits;
    writeList(8, {"A", "B", "C"});
    const QByteArray bytes = folder.read("data\\8.txt");
    Vazed& v = start();
    Edit& e = openEditor(v);
    clickEntry(e, e.List8, 1);
    {
        const HeldFile held(folder.file("data\\8.txt"));
        click(e, e.Image10);
    }
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text,
              QStringLiteral("Не удалось прочитать файл «%1». Запись не удалена; повторите удаление позже.")
                  .arg(ui::shownPath(folder.file("data\\8.txt"))));
    EXPECT_TRUE(services->messages[0].details.contains(ui::busyReason()));
    EXPECT_EQ(folder.read("data\\8.txt"), bytes);
    EXPECT_EQ(entries(e.List8), QStringList({"A", "B", "C"}));
    EXPECT_EQ(e.List8.listIndex(), 1);

    click(e, e.Image10);
    EXPECT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(entries(e.List8), QStringList({"A", "C"}));
    EXPECT_EQ(folder.read("data\\8.txt"), crlf({"A", "C"}));
}
