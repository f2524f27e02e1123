// The student base's editable grid: the look of the design workbook, typing through the keyboard,
// and a file written by another spreadsheet program kept as it was but for the typed cells.
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "student_base_fixture.h"
#include "workbook/grid_model.h"
#include "workbook/ziruduzizozod.h"

using velmox::BazaVazed;

namespace {
// As another spreadsheet program writes it: the default namespace, styles, a second worksheet that
// is the active one.
const char kForeignBase[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<?mso-application progid="Excel.Sheet"?>
<Workbook xmlns="urn:schemas-microsoft-com:office:spreadsheet" xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:x="urn:schemas-microsoft-com:office:excel" xmlns:ss="urn:schemas-microsoft-com:office:spreadsheet">
 <DocumentProperties xmlns="urn:schemas-microsoft-com:office:office">
  <Author>Приёмная комиссия</Author>
 </DocumentProperties>
 <ExcelWorkbook xmlns="urn:schemas-microsoft-com:office:excel">
  <ActiveSheet>1</ActiveSheet>
 </ExcelWorkbook>
 <Styles>
  <Style ss:ID="Default" ss:Name="Normal">
   <Font ss:FontName="Arial Cyr" ss:Size="10"/>
  </Style>
  <Style ss:ID="s21">
   <Font ss:FontName="Arial Cyr" ss:Bold="1"/>
   <Interior ss:Color="#FFFF99" ss:Pattern="Solid"/>
  </Style>
 </Styles>
 <Worksheet ss:Name="Прошлый год">
  <Table ss:ExpandedColumnCount="6" ss:ExpandedRowCount="2">
   <Row><Cell><Data ss:Type="String">Старый</Data></Cell><Cell><Data ss:Type="String">Студент</Data></Cell></Row>
   <Row><Cell><Data ss:Type="String">Алиев Марат</Data></Cell><Cell><Data ss:Type="String">Русланович</Data></Cell></Row>
  </Table>
 </Worksheet>
 <Worksheet ss:Name="Выпуск">
  <Table ss:ExpandedColumnCount="6" ss:ExpandedRowCount="3" x:FullColumns="1" x:FullRows="1">
   <Column ss:Width="150"/>
   <Row ss:StyleID="s21"><Cell><Data ss:Type="String">ФИО</Data></Cell><Cell><Data ss:Type="String">Отчество</Data></Cell></Row>
   <Row><Cell ss:StyleID="s21"><Data ss:Type="String">Касымов Ерлан</Data></Cell><Cell><Data ss:Type="String">Серикович</Data></Cell><Cell><Data ss:Type="String">Қасымов Ерлан</Data></Cell><Cell><Data ss:Type="String">Серікұлы</Data></Cell><Cell><Data ss:Type="Number">2019</Data></Cell><Cell><Data ss:Type="String">0001243</Data></Cell></Row>
   <Row><Cell><Data ss:Type="String">Иванова Анна</Data></Cell><Cell><Data ss:Type="String">Петровна</Data></Cell></Row>
  </Table>
  <WorksheetOptions xmlns="urn:schemas-microsoft-com:office:excel">
   <Selected/>
  </WorksheetOptions>
 </Worksheet>
</Workbook>
)";
}  // namespace

TEST_F(StudentBaseTest, AForeignBaseLoadsTakesTypedCellsAndSavesWithNothingElseChanged) {
    const QByteArray original(kForeignBase);
    folder.write("2.xml", original);
    velmox::Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    ASSERT_EQ(b.Spreadsheet1.workbook().toBytes(), original) << "the file does not round-trip unchanged";
    EXPECT_EQ(b.Spreadsheet1.activeSheet().name(), QStringLiteral("Выпуск"));
    expose(b);

    typeIntoCell(b.Spreadsheet1, 2, 2, QStringLiteral("Серікұлы"));
    typeIntoCell(b.Spreadsheet1, 2, 5, QStringLiteral("2021"));
    typeIntoCell(b.Spreadsheet1, 3, 3, QStringLiteral("Иванова Анна"));
    click(b, b.Image1);
    EXPECT_TRUE(services->messages.empty());

    QByteArray expected = original;
    expected.replace(QByteArray("<Data ss:Type=\"String\">Серикович</Data>"),
                     QByteArray("<Data ss:Type=\"String\">Серікұлы</Data>"));
    expected.replace(QByteArray("<Data ss:Type=\"Number\">2019</Data>"),
                     QByteArray("<Data ss:Type=\"Number\">2021</Data>"));
    expected.replace(
        QByteArray("<Data ss:Type=\"String\">Петровна</Data></Cell></Row>"),
        QByteArray("<Data ss:Type=\"String\">Петровна</Data></Cell><Cell><Data ss:Type=\"String\">"
                   "Иванова Анна</Data></Cell></Row>"));
    EXPECT_EQ(QString::fromUtf8(folder.read("2.xml")), QString::fromUtf8(expected));

    // Loaded again: the typed cells, and the picker reads the active worksheet.
    b.unload();
    settle();
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v), (QStringList{"Касымов Ерлан Серікұлы", "Иванова Анна Петровна"}));
    EXPECT_EQ(v.Text4.text(), QStringLiteral("2021"));
    BazaVazed& again = ui::form<BazaVazed>();
    EXPECT_EQ(again.Spreadsheet1.workbook().sheetNames(), (QStringList{"Прошлый год", "Выпуск"}));
    EXPECT_EQ(again.Spreadsheet1.workbook().toBytes(), expected);
}

TEST_F(StudentBaseTest, TheGridLooksLikeTheDesignWorkbookAndAlwaysHasRoomBelowTheLastStudent) {
    writeBase({{"Касымов Ерлан", "Серикович", "", "", "#2019", ""}});
    BazaVazed& b = ui::form<BazaVazed>();
    EXPECT_FALSE(b.Spreadsheet1.hasGrid());  // nothing is built for a window that was never shown
    expose(b);
    ASSERT_TRUE(b.Spreadsheet1.hasGrid());
    workbook::GridView& grid = b.Spreadsheet1.grid();
    QAbstractItemModel& model = *grid.model();

    EXPECT_EQ(grid.font(), ui::toScreenFont({QStringLiteral("Arial"), 10}));
    EXPECT_EQ(grid.palette().color(QPalette::Base), QColor(0xE0, 0xFF, 0xFF));
    EXPECT_TRUE(grid.showGrid());
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), 64);  // 48 pt
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 17);    // 12.75 pt
    EXPECT_EQ(grid.columnWidth(0), 64);
    EXPECT_EQ(grid.rowHeight(1), 17);
    EXPECT_TRUE(grid.isVisible());
    EXPECT_EQ(grid.width(), b.Spreadsheet1.widget()->width());

    struct Header {
        int section;
        Qt::Orientation orientation;
        QString text;
    };
    const Header headers[] = {{0, Qt::Horizontal, "A"},
                              {25, Qt::Horizontal, "Z"},
                              {26, Qt::Horizontal, "AA"},
                              {0, Qt::Vertical, "1"},
                              {99, Qt::Vertical, "100"}};
    for (const Header& h : headers)
        EXPECT_EQ(model.headerData(h.section, h.orientation, Qt::DisplayRole).toString(), h.text)
            << h.section;
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("Касымов Ерлан"));
    EXPECT_EQ(model.data(model.index(1, 4), Qt::DisplayRole).toString(), QStringLiteral("2019"));
    EXPECT_EQ(model.data(model.index(1, 4), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);

    // More empty rows and columns than a screen shows, and more again once the last one is typed in.
    const int screenRows = 2000 / 17, screenColumns = 3000 / 64;
    EXPECT_GE(model.rowCount() - 2, screenRows / 2);
    EXPECT_GE(model.rowCount() - 2, workbook::GridModel::kSpareRows);
    EXPECT_GE(model.columnCount() - 6, screenColumns / 2);
    const int lastRow = model.rowCount();
    typeIntoCell(b.Spreadsheet1, lastRow, 1, QStringLiteral("Нұрланов"));
    EXPECT_EQ(model.rowCount(), lastRow + workbook::GridModel::kSpareRows);
    EXPECT_EQ(workbook::toText(b.Spreadsheet1.activeSheet().cell(lastRow, 1)), QStringLiteral("Нұрланов"));
}

TEST_F(StudentBaseTest, TheShippedBaseListsItsStudentsAtOnceAndTheGridTakesItsColumnWidths) {
    QFile shipped(QStringLiteral(VELMOX_SOURCE_DIR "/dist/2.xml"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    folder.write("2.xml", shipped.readAll());
    velmox::Vazed& v = start();
    v.Image1_Click();
    EXPECT_TRUE(services->messages.empty());
    ASSERT_GE(v.Combo1.listCount(), 3);
    EXPECT_EQ(v.Text2.text(), QStringLiteral("Қасымов Ерлан"));
    EXPECT_FALSE(v.Text4.text().isEmpty());
    EXPECT_FALSE(v.Text14.text().isEmpty());
    v.Combo1.setListIndex(1);
    EXPECT_EQ(v.Text2.text(), QStringLiteral("Өмірбекова Әйгерім"));

    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    expose(b);
    const workbook::GridView& grid = b.Spreadsheet1.grid();
    const std::pair<int, int> widths[] = {{0, 200}, {1, 160}, {2, 200}, {3, 160},
                                          {4, 120}, {5, 147}, {6, 64}};
    for (const auto& [column, pixels] : widths) EXPECT_EQ(grid.columnWidth(column), pixels) << column;
    EXPECT_EQ(grid.rowHeight(3), 17);
}

TEST_F(StudentBaseTest, EnterMovesDownDeleteEmptiesTheSelectionAndAButtonPressKeepsTheCellBeingTyped) {
    writeBase({{"Касымов Ерлан", "Серикович", "", "", "", ""}});
    BazaVazed& b = ui::form<BazaVazed>();
    expose(b);
    workbook::GridView& grid = b.Spreadsheet1.grid();
    typeIntoCell(b.Spreadsheet1, 3, 1, QStringLiteral("Иванова"));
    EXPECT_EQ(grid.currentIndex().row(), 3);
    EXPECT_EQ(grid.currentIndex().column(), 0);

    grid.setCurrentIndex(grid.model()->index(1, 0));
    grid.selectionModel()->select(QItemSelection(grid.model()->index(1, 0), grid.model()->index(1, 1)),
                                  QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_TRUE(b.Spreadsheet1.activeSheet().cell(2, 1).isEmpty());
    EXPECT_TRUE(b.Spreadsheet1.activeSheet().cell(2, 2).isEmpty());
    EXPECT_EQ(workbook::toText(b.Spreadsheet1.activeSheet().cell(3, 1)), QStringLiteral("Иванова"));

    // Typing without Enter, then "Сохранить": the cell being typed is saved too.
    grid.setCurrentIndex(grid.model()->index(4, 1));
    typeText(&grid, QStringLiteral("П"));
    QWidget* editor = grid.indexWidget(grid.currentIndex());
    ASSERT_NE(editor, nullptr);
    typeText(editor, QStringLiteral("етровна"));
    click(b, b.Image1);
    workbook::Workbook saved;
    saved.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(saved.activeSheet().cell(5, 2)), QStringLiteral("Петровна"));
}

TEST_F(StudentBaseTest, TheHiddenLayoutWorkbookNeverBuildsAGrid) {
    start();
    EXPECT_FALSE(ui::form<velmox::Ziruduzizozod>().Spreadsheet1.hasGrid());
}

TEST(GridColumns, AreNamedAsSpreadsheetProgramsNameThem) {
    const std::pair<int, const char*> cases[] = {{1, "A"},    {6, "F"},     {26, "Z"},
                                                 {27, "AA"},  {52, "AZ"},   {53, "BA"},
                                                 {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [column, name] : cases)
        EXPECT_EQ(workbook::columnName(column), QString::fromLatin1(name));
}

TEST(GridExtent, StopsAtTheSheetsLastRowAndColumnSoACellThereShowsAndTakesTyping) {
    workbook::Workbook book;
    book.loadFromBytes(
        "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\"Sheet1\"><Table>"
        "<Row ss:Index=\"1048576\"><Cell ss:Index=\"16384\"><Data ss:Type=\"String\">last</Data></Cell></Row>"
        "</Table></Worksheet></Workbook>");
    workbook::GridModel model(book);
    ASSERT_EQ(model.rowCount(), workbook::kMaxRows);
    ASSERT_EQ(model.columnCount(), workbook::kMaxColumns);
    const QModelIndex last = model.index(workbook::kMaxRows - 1, workbook::kMaxColumns - 1);
    EXPECT_EQ(model.data(last, Qt::DisplayRole).toString(), QStringLiteral("last"));
    EXPECT_TRUE(model.setData(last, QStringLiteral("typed"), Qt::EditRole));
    EXPECT_EQ(model.rowCount(), workbook::kMaxRows);
}
