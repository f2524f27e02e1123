// The student picker: "Загрузить данные" lists the students and picks the first, a choice copies
// its own row into six entry controls.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "student_base_fixture.h"

using velmox::BazaVazed;
using velmox::Vazed;

namespace {

QStringList entriesOf(const StudentRow& r) {
    const auto text = [](const QString& v) { return v.startsWith(u'#') ? v.mid(1) : v; };
    return {text(r[2]), text(r[3]), text(r[0]), text(r[1]), text(r[4]), text(r[5])};
}
}  // namespace

TEST_F(StudentBaseTest, FillListsRowsUpToTheFirstEmptyColumnBAndPicksTheFirstAtOnce) {
    struct Case {
        const char* what;
        std::vector<StudentRow> rows;
        QStringList items;
        QStringList entries;  // after the fill
    };
    const QStringList kept = {"v1", "v2", "v24", "v25", "v3", "v23"};
    const Case cases[] = {
        {"three students",
         {kKasymov, kOmirbekova, kIvanova},
         {"Касымов Ерлан Серикович", "Омирбекова Айгерим Бауыржановна", "Иванова Анна Петровна"},
         entriesOf(kKasymov)},
        {"only the heading row", {}, {}, kept},
        {"row 3 without column B ends the list",
         {kKasymov, {"Без отчества", "", "Без", "Отчества", "#2018", "7"}, kIvanova},
         {"Касымов Ерлан Серикович"},
         entriesOf(kKasymov)},
        {"row 3 without column A is listed with a leading blank",
         {kKasymov, {"", "Петровна", "Анна", "Петровна", "#2018", "8"}, kIvanova},
         {"Касымов Ерлан Серикович", " Петровна", "Иванова Анна Петровна"},
         entriesOf(kKasymov)},
        {"numbers in every column are written as their decimal text",
         {{"#7", "#8.5", "#1", "#2", "#2019", "#12345"}},
         {"7 8.5"},
         {"1", "2", "7", "8.5", "2019", "12345"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("2.txt", crlf(lastValues()));
        writeBase(c.rows);
        Vazed& v = start();
        v.Image1_Click();
        EXPECT_EQ(pickerItems(v), c.items);
        EXPECT_EQ(v.Combo1.text(), c.items.value(0));
        EXPECT_EQ(pickedEntries(v), c.entries);
        EXPECT_TRUE(v.Combo1.enabled());
        EXPECT_TRUE(services->messages.empty());
        // The field labels show the picked student at once, the shared ones on both halves.
        EXPECT_EQ(v.Label1.caption(), c.entries[0]);
        EXPECT_EQ(v.Label24.caption(), c.entries[2]);
        EXPECT_EQ(v.Label3.caption(), c.entries[4]);
        EXPECT_EQ(v.Label26.caption(), c.entries[4]);
        EXPECT_EQ(v.Label23.caption(), c.entries[5]);
        EXPECT_EQ(v.Label44.caption(), c.entries[5]);
        ui::discardForm<BazaVazed>();
        ui::discardForm<Vazed>();
    }
}

TEST_F(StudentBaseTest, AnotherFillReplacesTheListAndPicksTheFirstStudentAgain) {
    writeBase({kKasymov, kOmirbekova, kIvanova});
    Vazed& v = start();
    v.Image1_Click();
    v.Combo1.setListIndex(2);
    EXPECT_EQ(pickedEntries(v), entriesOf(kIvanova));
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v).size(), 3);
    EXPECT_EQ(v.Combo1.listIndex(), 0);
    EXPECT_EQ(pickedEntries(v), entriesOf(kKasymov));
}

TEST_F(StudentBaseTest, NamesakesEachGiveTheirOwnYearAndNumber) {
    const StudentRow first = {"Ким Анна", "Сергеевна", "Ким Анна", "Сергейқызы", "#2018", "0000001"};
    const StudentRow second = {"Ким Анна", "Сергеевна", "Ким Анна", "Сергейқызы", "#2019", "0000002"};
    const StudentRow lower = {"ким Анна", "Сергеевна", "ким", "Анна", "#2020", "0000003"};
    const StudentRow blank = {"Ким Анна", "Сергеевна ", "Ким", "Анна ", "#2021", "0000004"};
    writeBase({first, second, lower, blank});
    Vazed& v = start();
    v.show();
    v.Image1_Click();
    EXPECT_EQ(pickedEntries(v), entriesOf(first));
    const std::vector<StudentRow> rows = {first, second, lower, blank};
    for (int i : {1, 0, 3, 2, 1}) {
        v.Combo1.setListIndex(i);
        EXPECT_EQ(pickedEntries(v), entriesOf(rows[i])) << "item " << i;
    }
    // Chosen with the keyboard, as the operator does.
    auto* box = static_cast<QComboBox*>(v.Combo1.widget());
    box->setFocus();
    v.Combo1.setListIndex(0);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(v.Combo1.listIndex(), 1);
    EXPECT_EQ(pickedEntries(v), entriesOf(second));
}

TEST_F(StudentBaseTest, AChoiceWhoseRowChangedSinceTheFillIsFoundByItsTextAndTheLastMatchWins) {
    writeBase({kKasymov, kOmirbekova});
    Vazed& v = start();
    v.Image1_Click();
    workbook::Worksheet& sheet = ui::form<BazaVazed>().Spreadsheet1.activeSheet();
    // Row 2 now holds someone else; "Касымов Ерлан Серикович" moved to rows 4 and 5.
    sheet.setText(2, 1, "Другой");
    sheet.setText(4, 1, kKasymov[0]);
    sheet.setText(4, 2, kKasymov[1]);
    sheet.setText(4, 6, "первый");
    sheet.setText(5, 1, kKasymov[0]);
    sheet.setText(5, 2, kKasymov[1]);
    sheet.setText(5, 6, "последний");
    v.Combo1.setListIndex(1);
    EXPECT_EQ(pickedEntries(v), entriesOf(kOmirbekova));
    v.Combo1.setListIndex(0);
    EXPECT_EQ(v.Text14.text(), QStringLiteral("последний"));
    EXPECT_EQ(v.Text2.text(), QString());  // row 5 has no column C
    // Gone from the base altogether: nothing changes.
    sheet.setText(4, 1, "Третий");
    sheet.setText(5, 1, "Четвёртый");
    v.Combo1.setListIndex(1);
    v.Combo1.setListIndex(0);
    EXPECT_EQ(v.Text14.text(), QStringLiteral("0001244"));
}

TEST_F(StudentBaseTest, CellLineBreaksBecomeBlanksInTheListAndTheEntryControls) {
    const StudentRow broken = {"Касымов\nЕрлан", "Серикович", "Қасымов\r\nЕрлан",
                               "Серік\rұлы",     "#2019",     "00\r\n\r\n12"};
    writeBase({kIvanova, broken});
    Vazed& v = start();
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v)[1], QStringLiteral("Касымов Ерлан Серикович"));
    v.Combo1.setListIndex(1);
    EXPECT_EQ(pickedEntries(v),
              (QStringList{"Қасымов Ерлан", "Серік ұлы", "Касымов Ерлан", "Серикович", "2019", "00  12"}));
    EXPECT_EQ(v.Label1.caption(), QStringLiteral("Қасымов Ерлан"));
}

TEST_F(StudentBaseTest, TypingAStudentIntoThePickerCopiesNothing) {
    writeBase({kKasymov, kOmirbekova});
    Vazed& v = start();
    v.show();
    v.Image1_Click();
    auto* edit = static_cast<QComboBox*>(v.Combo1.widget())->lineEdit();
    edit->clear();
    v.Combo1.setText(QString());
    typeText(edit, QStringLiteral("Омирбекова Айгерим Бауыржановна"));
    EXPECT_EQ(v.Combo1.text(), QStringLiteral("Омирбекова Айгерим Бауыржановна"));
    EXPECT_EQ(pickedEntries(v), entriesOf(kKasymov));
}

TEST_F(StudentBaseTest, EnterAfterTypingAStudentsExactTextCopiesNothing) {
    writeBase({kKasymov, kOmirbekova});
    Vazed& v = start();
    expose(v);
    v.Image1_Click();
    v.Combo1.widget()->setFocus();
    auto* edit = static_cast<QComboBox*>(v.Combo1.widget())->lineEdit();
    edit->selectAll();
    const QString typed = v.Combo1.list(1);
    typeText(QApplication::focusWidget(), typed);
    ASSERT_EQ(v.Combo1.text(), typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(v.Combo1.text(), typed);
    EXPECT_EQ(pickedEntries(v), entriesOf(kKasymov));
    // Choosing it from the list still copies it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(pickedEntries(v), entriesOf(kOmirbekova));
}

TEST_F(StudentBaseTest, TheFirstFillLoadsTheBaseWindowHiddenAndItsButtonShowsThatSameWindow) {
    writeBase({kKasymov});
    Vazed& v = start();
    v.show();
    EXPECT_FALSE(ui::formLoaded<BazaVazed>());
    v.Image1_Click();
    ASSERT_TRUE(ui::formLoaded<BazaVazed>());
    BazaVazed& b = ui::form<BazaVazed>();
    EXPECT_FALSE(b.isShown());
    writeBase({kIvanova});  // a later change on disk is not read again
    v.Image4_Click();
    EXPECT_EQ(&ui::form<BazaVazed>(), &b);
    EXPECT_TRUE(b.isShown());
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(workbook::toText(b.Spreadsheet1.activeSheet().cell(2, 1)), kKasymov[0]);
}

TEST_F(StudentBaseTest, GridEditsReachThePickerAtOnceAndAreGoneAfterACloseWithoutSave) {
    writeBase({kKasymov, kOmirbekova});
    const QByteArray onDisk = folder.read("2.xml");
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    expose(b);
    typeIntoCell(b.Spreadsheet1, 2, 6, QStringLiteral("0009999"));
    typeIntoCell(b.Spreadsheet1, 4, 1, QStringLiteral("Нұрланов"));
    typeIntoCell(b.Spreadsheet1, 4, 2, QStringLiteral("Дамир"));
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v).size(), 3);
    EXPECT_EQ(pickerItems(v)[2], QStringLiteral("Нұрланов Дамир"));
    EXPECT_EQ(v.Text14.text(), QStringLiteral("0009999"));

    b.unload();
    settle();
    EXPECT_FALSE(ui::formLoaded<BazaVazed>());
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v).size(), 2);
    EXPECT_EQ(v.Text14.text(), QStringLiteral("0001243"));
    EXPECT_EQ(folder.read("2.xml"), onDisk);
}
