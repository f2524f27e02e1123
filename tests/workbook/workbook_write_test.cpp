#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <random>
#include <tuple>

#include "support/program_folder.h"
#include "workbook/fixtures.h"
#include "workbook/same_cells.h"
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

// Forms of writing that the parser reads as the same document but its own writing gives otherwise.
const char* const kOwnForms[] = {
    // attributes on lines of their own, tabs, blanks around "=", single quotes, a blank before the end
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ss:Workbook\txmlns:x=\"urn:schemas-microsoft-com:office:excel\"\n"
    "             xmlns:ss = 'urn:schemas-microsoft-com:office:spreadsheet' >\n"
    " <ss:Worksheet ss:Name=\"Sheet1\" >\n"
    "  <ss:Table\n   ss:ExpandedRowCount=\"3\"\n   ss:ExpandedColumnCount=\"5\">\n"
    "   <ss:Row ss:Index=\"2\" ><ss:Cell ss:Index=\"3\" ss:StyleID=\"s1\" /><ss:Cell></ss:Cell></ss:Row >\n"
    "   <ss:Row><ss:Cell><ss:Data ss:Type=\"String\"></ss:Data></ss:Cell></ss:Row>\n"
    "  </ss:Table  >\n </ss:Worksheet>\n</ss:Workbook>\n",
    // references in text and in attribute values, '>' in both, a CDATA section
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
    " <ss:Worksheet ss:Name=\"&#9;Лист&apos;1&apos; a>b &#x49A;\">\n  <ss:Table><ss:Row>"
    "<ss:Cell><ss:Data ss:Type=\"String\">a&#10;b &quot;c&quot; &apos;d&apos; &#1178;&#x49A; e>f &amp; "
    "&lt;</ss:Data></ss:Cell>"
    "<ss:Cell><ss:Data ss:Type=\"String\"><![CDATA[<&>]]></ss:Data></ss:Cell>"
    "</ss:Row></ss:Table>\n </ss:Worksheet>\n</ss:Workbook>",
    // CR LF line ends throughout, a comment and a text of two lines
    "<?xml version=\"1.0\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\r\n"
    " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
    " <!-- two\r\n lines -->\r\n <Worksheet ss:Name=\"Sheet1\">\r\n  <Table>\r\n   <Row>\r\n"
    "    <Cell><Data ss:Type=\"String\">Иванов\r\nИван</Data></Cell>\r\n"
    "   </Row>\r\n  </Table>\r\n </Worksheet>\r\n</Workbook>\r\n",
    // mixed line ends, a lone carriage return, blank lines in the prolog, no declaration
    "\n<!-- made by hand -->\r\n\n<?mso-application   progid=\"Excel.Sheet\"?>"
    "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
    " <ss:Worksheet ss:Name=\"Sheet1\">\r\n  <ss:Table>\n   <ss:Row>\r"
    "<ss:Cell><ss:Data ss:Type=\"Number\">1</ss:Data></ss:Cell></ss:Row>\n"
    " <!--a\rb--></ss:Table></ss:Worksheet></ss:Workbook>\n\n",
    // a byte-order mark
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><ss:Worksheet "
    "ss:Name=\"Sheet1\"/></ss:Workbook>\n",
};

QByteArray shippedBytes(const char* name) {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("missing shipped file");
    return f.readAll();
}

}  // namespace

// The shipped files, the fixtures and files written in every form the parser reads: an export of the
// unchanged workbook gives back every byte, so an export over the file writes nothing at all.
TEST(WorkbookWrite, ExportOfAnUnchangedFileKeepsEveryByte) {
    std::vector<std::pair<QString, QByteArray>> files = {
        {"dist/1.xml", shippedBytes("1.xml")},
        {"dist/2.xml", shippedBytes("2.xml")},
        {"layout.xml", fixtureBytes("layout.xml")},
        {"default_namespace.xml", fixtureBytes("default_namespace.xml")},
    };
    for (const char* form : kOwnForms) files.emplace_back(QString::fromUtf8(form).left(60), form);
    ProgramFolder folder;
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        Workbook book;
        book.loadFromBytes(bytes);
        EXPECT_EQ(book.toBytes(), bytes);

        // A read-only file refuses any write: an export that left it alone did not try.
        folder.write("same.xml", bytes);
        QFile::setPermissions(folder.file("same.xml"), QFileDevice::ReadOwner);
        Workbook fromFile;
        fromFile.load(folder.file("same.xml"));
        EXPECT_NO_THROW(fromFile.exportTo(folder.file("same.xml")));
        QFile::setPermissions(folder.file("same.xml"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(folder.read("same.xml"), bytes);
    }
}

TEST(WorkbookWrite, WritingACellChangesOnlyThatCellInTheExport) {
    struct Case {
        QByteArray file;
        const char* name;
        int16_t value;
        const char* line;  // the cell's line in the export
    };
    QByteArray crLfLineEnds = QByteArray(kOwnForms[2]).replace("Иванов\r\nИван", "Иванов");
    const Case cases[] = {
        {fixtureBytes("layout.xml"), "c7", 3360,
         R"(    <ss:Cell ss:Index="3"><ss:Data ss:Type="Number">3360</ss:Data><v:Note>unknown child</v:Note></ss:Cell>)"},
        // a written value replaces the formula it came from
        {fixtureBytes("layout.xml"), "E2", -45,
         R"(    <ss:Cell ss:Index="5"><ss:Data ss:Type="Number">-45</ss:Data></ss:Cell>)"},
        {fixtureBytes("layout.xml"), "h61", 1,
         R"(    <ss:Cell ss:MergeAcross="1"><ss:Data ss:Type="Number">1</ss:Data></ss:Cell>)"},
        // a field moved in the shipped layout, beneath its workbook's attributes on four lines
        {shippedBytes("1.xml"), "C1", 3400,
         R"(    <ss:Cell ss:Index="3"><ss:Data ss:Type="Number">3400</ss:Data></ss:Cell>)"},
        {shippedBytes("2.xml"), "e2", 2020,
         R"(    <ss:Cell><ss:Data ss:Type="Number">2020</ss:Data></ss:Cell>)"},
        {crLfLineEnds, "A1", 7, "    <Cell><Data ss:Type=\"Number\">7</Data></Cell>\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray& original = c.file;
        Workbook book;
        book.loadFromBytes(original);
        workbook::Worksheet& sheet = book.activeSheet();
        const auto before = allCells(book);
        sheet.setInteger(QString::fromLatin1(c.name), c.value);
        EXPECT_EQ(workbook::toInteger16(sheet.cell(QString::fromLatin1(c.name).toUpper())), c.value);

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
        const CellKey written{sheet.name(), QByteArray(c.name + 1).toInt(),
                              QChar::toUpper(c.name[0]) - 'A' + 1};
        EXPECT_EQ(after[written], CellValue::ofNumber(c.value));
        after.erase(written);
        auto expected = before;
        expected.erase(written);
        EXPECT_EQ(after, expected);
    }
}

// A node whose content changed is written in the parser's own form; every other node keeps its own.
TEST(WorkbookWrite, AChangedNodeIsWrittenAnewAndTheRestKeepTheirOwnText) {
    const QByteArray start =
        "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
        " <ss:Worksheet ss:Name=\"Sheet1\">\n"
        "  <ss:Table\n   ss:ExpandedRowCount=\"2\"\n   ss:ExpandedColumnCount=\"3\">\n"
        "   <ss:Row><ss:Cell  ss:StyleID=\"s1\"><ss:Data ss:Type=\"String\">a&#10;b</ss:Data></ss:Cell>"
        "<ss:Cell><ss:Data ss:Type=\"String\">&quot;c&quot;</ss:Data></ss:Cell></ss:Row>\n"
        "   <ss:Row></ss:Row>\n"
        "  </ss:Table>\n </ss:Worksheet >\n</ss:Workbook>";
    struct Case {
        const char* what;
        std::function<void(workbook::Worksheet&)> change;
        QByteArray expected;
    };
    const auto replaced = [&](const char* from, const char* to) {
        return QByteArray(start).replace(from, to);
    };
    const Case cases[] = {
        {"a new value in a cell with its own start tag", [](auto& s) { s.setText(1, 1, "x"); },
         replaced("a&#10;b", "x")},
        {"the same text written again", [](auto& s) { s.setText(1, 2, "\"c\""); }, start},
        {"a cell in an empty row written open", [](auto& s) { s.setInteger(u"B2", 5); },
         replaced(
             "<ss:Row></ss:Row>",
             "<ss:Row><ss:Cell ss:Index=\"2\"><ss:Data ss:Type=\"Number\">5</ss:Data></ss:Cell></ss:Row>")},
        {"a count grown", [](auto& s) { s.setInteger(u"A3", 3); },
         replaced("  <ss:Table\n   ss:ExpandedRowCount=\"2\"\n   ss:ExpandedColumnCount=\"3\">",
                  "  <ss:Table ss:ExpandedRowCount=\"3\" ss:ExpandedColumnCount=\"3\">")
             .replace("<ss:Row></ss:Row>\n",
                      "<ss:Row></ss:Row>\n"
                      "   <ss:Row><ss:Cell><ss:Data ss:Type=\"Number\">3</ss:Data></ss:Cell></ss:Row>\n")},
        {"a cleared cell", [](auto& s) { s.setText(1, 1, ""); },
         replaced("<ss:Data ss:Type=\"String\">a&#10;b</ss:Data>", "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Workbook book;
        book.loadFromBytes(start);
        c.change(book.activeSheet());
        EXPECT_EQ(book.toBytes(), c.expected);
        Workbook back;
        back.loadFromBytes(book.toBytes());
        EXPECT_EQ(cellDifference(book, back).toStdString(), "");
        EXPECT_EQ(back.toBytes(), c.expected);
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
