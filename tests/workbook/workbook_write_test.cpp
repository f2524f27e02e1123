#include <gtest/gtest.h>

#include <QRegularExpression>
#include <map>
#include <random>
#include <tuple>

#include "support/program_folder.h"
#include "workbook/fixtures.h"
#include "workbook/workbook.h"

using workbook::CellValue;
using workbook::Workbook;
using Kind = CellValue::Kind;

namespace {

using CellKey = std::tuple<QString, int, int>;

// Every cell of every sheet, one column and row past the used extent.
std::map<CellKey, CellValue> allCells(const Workbook& book) {
    std::map<CellKey, CellValue> cells;
    for (const QString& name : book.sheetNames()) {
        const workbook::Worksheet& sheet = *book.sheet(name);
        for (int r = 1; r <= sheet.rowCount() + 1; ++r) {
            for (int c = 1; c <= sheet.columnCount() + 1; ++c) {
                if (CellValue v = sheet.cell(r, c); !v.isEmpty()) cells[{name, r, c}] = v;
            }
        }
    }
    return cells;
}

QList<QByteArray> lines(const QByteArray& bytes) {
    return bytes.split('\n');
}

int attributeValue(const QByteArray& bytes, const char* name) {
    const QRegularExpression re(QStringLiteral("%1=\"(\\d+)\"").arg(QLatin1String(name)));
    return re.match(QString::fromUtf8(bytes)).captured(1).toInt();
}

}  // namespace

TEST(WorkbookWrite, ExportOfAnUnchangedFileIsByteIdentical) {
    Workbook book;
    book.load(fixturePath("layout.xml"));
    EXPECT_EQ(book.toBytes(), fixtureBytes("layout.xml"));
}

TEST(WorkbookWrite, WritingACellChangesOnlyThatCellInTheExport) {
    struct Case {
        const char* name;
        int16_t value;
        const char* line;  // the cell's line in the export
    };
    const Case cases[] = {
        {"c7", 3360,
         R"(    <ss:Cell ss:Index="3"><ss:Data ss:Type="Number">3360</ss:Data><v:Note>unknown child</v:Note></ss:Cell>)"},
        // a written value replaces the formula it came from
        {"E2", -45, R"(    <ss:Cell ss:Index="5"><ss:Data ss:Type="Number">-45</ss:Data></ss:Cell>)"},
        {"h61", 1, R"(    <ss:Cell ss:MergeAcross="1"><ss:Data ss:Type="Number">1</ss:Data></ss:Cell>)"},
    };
    const QByteArray original = fixtureBytes("layout.xml");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workbook book;
        book.loadFromBytes(original);
        const auto before = allCells(book);
        book.sheet(u"Sheet1")->setInteger(QString::fromLatin1(c.name), c.value);
        EXPECT_EQ(workbook::toInteger16(book.sheet(u"Sheet1")->cell(QString::fromLatin1(c.name).toUpper())),
                  c.value);

        const QByteArray exported = book.toBytes();
        const auto a = lines(original), b = lines(exported);
        ASSERT_EQ(a.size(), b.size());
        int changed = 0;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] == b[i]) continue;
            ++changed;
            EXPECT_EQ(b[i], c.line);
        }
        EXPECT_EQ(changed, 1);

        Workbook back;
        back.loadFromBytes(exported);
        auto after = allCells(back);
        const CellKey written{"Sheet1", QByteArray(c.name + 1).toInt(), QChar::toUpper(c.name[0]) - 'A' + 1};
        EXPECT_EQ(after[written], CellValue::ofNumber(c.value));
        after.erase(written);
        auto expected = before;
        expected.erase(written);
        EXPECT_EQ(after, expected);
    }
}

TEST(WorkbookWrite, WritesInGapsMergesAndSpansLeaveEveryOtherCellInPlace) {
    const QByteArray start = sheetXml(R"(
   <ss:Row ss:Index="2">
    <ss:Cell><ss:Data ss:Type="String">a</ss:Data></ss:Cell>
    <ss:Cell ss:Index="4" ss:MergeAcross="3"><ss:Data ss:Type="String">merged</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="Number">9</ss:Data></ss:Cell>
   </ss:Row>
   <ss:Row ss:Index="4" ss:Span="3" ss:StyleID="s1"/>
   <ss:Row><ss:Cell ss:Index="2"><ss:Data ss:Type="String">after span</ss:Data></ss:Cell></ss:Row>
   <ss:Row ss:Index="12"><ss:Cell ss:Index="8"><ss:Data ss:Type="String">corner</ss:Data></ss:Cell></ss:Row>)",
                                      R"( ss:ExpandedColumnCount="8" ss:ExpandedRowCount="12")");
    const std::map<std::pair<int, int>, CellValue> startModel = {
        {{2, 1}, CellValue::ofText("a")},       {{2, 4}, CellValue::ofText("merged")},
        {{2, 8}, CellValue::ofNumber(9)},       {{8, 2}, CellValue::ofText("after span")},
        {{12, 8}, CellValue::ofText("corner")},
    };
    auto model = startModel;
    const char* texts[] = {"", "x", "2019", "007", "-1.5", "Қ"};
    const auto check = [&](const workbook::Worksheet& sheet, const char* when) {
        for (int r = 1; r <= 16; ++r) {
            for (int c = 1; c <= 12; ++c) {
                const auto it = model.find({r, c});
                ASSERT_EQ(sheet.cell(r, c), it == model.end() ? CellValue() : it->second)
                    << when << ": row " << r << ", column " << c;
            }
        }
    };

    // Each single write on the fresh sheet, read back after an export: the positions of the cells
    // around it must survive the file's own counting (Index, MergeAcross, Span).
    for (int row = 1; row <= 15; ++row) {
        for (int column = 1; column <= 11; ++column) {
            Workbook book;
            book.loadFromBytes(start);
            book.activeSheet().setText(row, column, "x");
            model = startModel;
            model[{row, column}] = CellValue::ofText("x");
            Workbook back;
            back.loadFromBytes(book.toBytes());
            check(back.activeSheet(), "after one write");
        }
    }

    // A long run of writes and clears in random order, on one workbook.
    model = startModel;
    Workbook book;
    book.loadFromBytes(start);
    std::mt19937 random(20190630);
    for (int step = 0; step < 300; ++step) {
        const int row = std::uniform_int_distribution(1, 15)(random);
        const int column = std::uniform_int_distribution(1, 11)(random);
        const QString text = QString::fromUtf8(texts[std::uniform_int_distribution<size_t>(0, 5)(random)]);
        book.activeSheet().setText(row, column, text);
        if (text.isEmpty()) {
            model.erase({row, column});
        } else {
            const auto number = workbook::parseNumberText(text);
            model[{row, column}] =
                text == u"2019" || text == u"-1.5" ? CellValue::ofNumber(*number) : CellValue::ofText(text);
        }
        if (step % 50 == 0) check(book.activeSheet(), "in memory");
    }
    check(book.activeSheet(), "in memory");
    Workbook back;
    back.loadFromBytes(book.toBytes());
    check(back.activeSheet(), "after export");
    EXPECT_GE(attributeValue(book.toBytes(), "ss:ExpandedRowCount"), 15);
    EXPECT_GE(attributeValue(book.toBytes(), "ss:ExpandedColumnCount"), 11);
}

TEST(WorkbookWrite, SpanRowsKeepTheirStyleWhenARowInsideIsWritten) {
    Workbook book;
    book.loadFromBytes(sheetXml(R"(<ss:Row ss:Index="4" ss:Span="4" ss:StyleID="s1" ss:Height="20"/>)"));
    book.activeSheet().setInteger(u"B6", 6);
    const QByteArray bytes = book.toBytes();
    EXPECT_TRUE(bytes.contains(R"(<ss:Row ss:Index="4" ss:Span="1" ss:StyleID="s1" ss:Height="20"/>)"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains(
        R"(<ss:Row ss:StyleID="s1" ss:Height="20"><ss:Cell ss:Index="2"><ss:Data ss:Type="Number">6</ss:Data></ss:Cell></ss:Row>)"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains(R"(<ss:Row ss:StyleID="s1" ss:Height="20" ss:Span="1"/>)"))
        << bytes.constData();
}

TEST(WorkbookWrite, ExpandedCountsGrowOnlyWhenTooSmall) {
    struct Case {
        const char* cell;
        int rows, columns;
    };
    const Case cases[] = {{"B3", 10, 5}, {"L20", 20, 12}, {"E10", 10, 5}};
    for (const auto& c : cases) {
        Workbook book;
        book.loadFromBytes(sheetXml("", R"( ss:ExpandedColumnCount="5" ss:ExpandedRowCount="10")"));
        book.activeSheet().setInteger(QString::fromLatin1(c.cell), 1);
        EXPECT_EQ(attributeValue(book.toBytes(), "ss:ExpandedRowCount"), c.rows) << c.cell;
        EXPECT_EQ(attributeValue(book.toBytes(), "ss:ExpandedColumnCount"), c.columns) << c.cell;
    }
    Workbook without;
    without.loadFromBytes(sheetXml(""));
    without.activeSheet().setInteger(u"Z99", 1);
    EXPECT_FALSE(without.toBytes().contains("Expanded"));
}

TEST(WorkbookWrite, TypedTextIsStoredAsANumberOnlyInItsOwnNumberForm) {
    struct Case {
        const char* typed;
        Kind kind;
        const char* data;
    };
    const Case cases[] = {
        {"2019", Kind::Number, R"(<ss:Data ss:Type="Number">2019</ss:Data>)"},
        {"-1.5", Kind::Number, R"(<ss:Data ss:Type="Number">-1.5</ss:Data>)"},
        {"007", Kind::Text, R"(<ss:Data ss:Type="String">007</ss:Data>)"},
        {"1,5", Kind::Text, R"(<ss:Data ss:Type="String">1,5</ss:Data>)"},
        {" 12", Kind::Text, R"(<ss:Data ss:Type="String"> 12</ss:Data>)"},
        {"1.0", Kind::Text, R"(<ss:Data ss:Type="String">1.0</ss:Data>)"},
        {"Қ & <Ә>", Kind::Text, R"(<ss:Data ss:Type="String">Қ &amp; &lt;Ә&gt;</ss:Data>)"},
    };
    for (const auto& c : cases) {
        Workbook book({"Sheet1"});
        book.activeSheet().setText(3, 2, QString::fromUtf8(c.typed));
        const CellValue v = book.activeSheet().cell(u"B3");
        EXPECT_EQ(v.kind, c.kind) << c.typed;
        EXPECT_EQ(workbook::toText(v), QString::fromUtf8(c.typed));
        EXPECT_TRUE(book.toBytes().contains(c.data)) << book.toBytes().constData();
    }
}

TEST(WorkbookWrite, ClearingACellRemovesItsValueAndFormulaButKeepsItsStyle) {
    Workbook book;
    book.loadFromBytes(sheetXml(
        R"(<ss:Row><ss:Cell ss:StyleID="s21" ss:Formula="=1+1"><ss:Data ss:Type="Number">2</ss:Data></ss:Cell><ss:Cell><ss:Data ss:Type="String">B</ss:Data></ss:Cell></ss:Row>)"));
    book.activeSheet().setText(1, 1, "");
    book.activeSheet().setText(5, 5, "");  // nothing there: nothing is created
    EXPECT_TRUE(book.activeSheet().cell(u"A1").isEmpty());
    EXPECT_EQ(workbook::toText(book.activeSheet().cell(u"B1")), "B");
    EXPECT_TRUE(book.toBytes().contains(
        R"(<ss:Row><ss:Cell ss:StyleID="s21"/><ss:Cell><ss:Data ss:Type="String">B</ss:Data></ss:Cell></ss:Row>)"))
        << book.toBytes().constData();
    EXPECT_FALSE(book.toBytes().contains("ss:Index"));
}

TEST(WorkbookWrite, WritesIntoDefaultNamespaceFilesUseTheirOwnNames) {
    struct Case {
        const char* file;
        const char* expected;
    };
    const Case cases[] = {
        // ss bound as well as the default namespace: elements unprefixed, attributes with ss:
        {"<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
         "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet "
         "ss:Name=\"Sheet1\"/></Workbook>",
         "<Worksheet ss:Name=\"Sheet1\"><Table><Row ss:Index=\"2\"><Cell ss:Index=\"3\"><Data "
         "ss:Type=\"Number\">7</Data></Cell></Row></Table></Worksheet>"},
        // only the default namespace and unprefixed attributes: a prefix is declared for what is written
        {"<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet "
         "Name=\"Sheet1\"><Names/>"
         "<WorksheetOptions/></Worksheet></Workbook>",
         "<Worksheet Name=\"Sheet1\"><Names/><Table><Row ss:Index=\"2\"><Cell ss:Index=\"3\"><Data "
         "ss:Type=\"Number\">7</Data></Cell></Row></Table><WorksheetOptions/></Worksheet>"},
    };
    for (const auto& c : cases) {
        Workbook book;
        book.loadFromBytes(c.file);
        book.sheet(u"Sheet1")->setInteger(u"C2", 7);
        const QByteArray bytes = book.toBytes();
        EXPECT_TRUE(bytes.contains(c.expected)) << bytes.constData();
        Workbook back;
        back.loadFromBytes(bytes);
        EXPECT_EQ(workbook::toText(back.sheet(u"Sheet1")->cell(2, 3)), "7");
    }
}

TEST(WorkbookWrite, NewRowsAndCellsTakeTheIndentationOfTheirNeighbours) {
    Workbook book;
    book.loadFromBytes(sheetXml(
        "   <ss:Row>\n    <ss:Cell><ss:Data ss:Type=\"Number\">1</ss:Data></ss:Cell>\n   </ss:Row>"));
    book.activeSheet().setInteger(u"C1", 3);
    book.activeSheet().setInteger(u"A4", 4);
    EXPECT_TRUE(book.toBytes().contains(
        "  <ss:Table>\n"
        "   <ss:Row>\n"
        "    <ss:Cell><ss:Data ss:Type=\"Number\">1</ss:Data></ss:Cell>\n"
        "    <ss:Cell ss:Index=\"3\"><ss:Data ss:Type=\"Number\">3</ss:Data></ss:Cell>\n"
        "   </ss:Row>\n"
        "   <ss:Row ss:Index=\"4\"><ss:Cell><ss:Data ss:Type=\"Number\">4</ss:Data></ss:Cell></ss:Row>\n"
        "  </ss:Table>"))
        << book.toBytes().constData();
}

TEST(WorkbookWrite, KazakhAndRussianTextRoundTripsThroughAFile) {
    const QString text = QString::fromUtf8("Қожахметова Әйгерім Ғалымқызы Ө Ү Ң Ұ Һ — Иванова Ёлка");
    ProgramFolder folder;
    Workbook book({"Sheet1"});
    book.activeSheet().setText(2, 1, text);
    book.exportTo(folder.file("2.xml"));
    Workbook back;
    back.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), text);
    EXPECT_TRUE(folder.read("2.xml").contains(text.toUtf8()));
}
