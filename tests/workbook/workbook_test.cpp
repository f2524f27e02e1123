#include "workbook/workbook.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <limits>

#include "support/child_process.h"
#include "support/program_folder.h"
#include "workbook/fixtures.h"
#include "workbook/same_cells.h"
#include "workbook/workbook_reasons.h"

using ui::Error;
using workbook::CellValue;
using workbook::Workbook;
using Kind = CellValue::Kind;

namespace {

QString textAt(const workbook::Worksheet& sheet, const char* name) {
    return workbook::toText(sheet.cell(QString::fromLatin1(name)));
}

// A reason the operator reads: Russian, never the English of a library or of the system.
bool isRussian(const QString& reason) {
    return std::any_of(reason.begin(), reason.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

}  // namespace

TEST(Workbook, DesignWorkbookHasThreeEmptySheetsAndTheFirstActive) {
    Workbook book;
    EXPECT_EQ(book.sheetNames(), (QStringList{"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(book.activeSheet().name(), "Sheet1");
    EXPECT_TRUE(book.sheet(u"Sheet1")->cell(u"C1").isEmpty());
    EXPECT_EQ(book.sheet(u"Sheet1")->rowCount(), 0);
}

TEST(Workbook, ExportedDesignWorkbooksLoadBackWithTheirSheetsAndStyle) {
    workbook::DesignStyle style;
    style.fillColor = "#E0FFFF";
    style.thinBorders = true;
    const Workbook designs[] = {Workbook(), Workbook({"Sheet1"}, style), Workbook({"Студенты & \"группа\""})};
    ProgramFolder folder;
    for (const Workbook& design : designs) {
        design.exportTo(folder.file("1.xml"));
        const QByteArray bytes = folder.read("1.xml");
        EXPECT_TRUE(bytes.startsWith(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?mso-application progid=\"Excel.Sheet\"?>"));
        Workbook back({"other"});
        back.load(folder.file("1.xml"));
        EXPECT_EQ(back.sheetNames(), design.sheetNames());
        EXPECT_EQ(back.toBytes(), bytes);
    }
    EXPECT_TRUE(designs[1].toBytes().contains(R"(<ss:Interior ss:Color="#E0FFFF" ss:Pattern="Solid"/>)"));
    EXPECT_TRUE(designs[1].toBytes().contains(R"(ss:DefaultColumnWidth="48" ss:DefaultRowHeight="12.75")"));
    EXPECT_EQ(designs[1].toBytes().count("ss:LineStyle=\"Continuous\" ss:Weight=\"1\""), 4);
}

TEST(Workbook, PrefixedAndDefaultNamespaceFilesReadAlike) {
    struct Expect {
        const char* cell;
        Kind kind;
        const char* text;
    };
    const Expect expected[] = {
        {"C1", Kind::Number, "3360"},
        {"E1", Kind::Number, "1800"},
        {"C2", Kind::Number, "3600.5"},
        {"E2", Kind::Number, "1810"},  // the stored value, not the formula
        {"g2", Kind::Text, "Фамилия"},
        {"h2", Kind::Text, "Тегі Қ Ө Ү Ә Ғ Ң Ұ Һ"},
        {"C7", Kind::Number, "5000"},
        {"E7", Kind::Number, "2000"},
        {"C45", Kind::Number, "45"},
        {"g61", Kind::Number, "2019"},
        {"h61", Kind::Text, "<b> & \"Ә\""},
        {"i61", Kind::Empty, ""},  // covered by h61's MergeAcross
        {"C3", Kind::Empty, ""},
        {"D1", Kind::Empty, ""},
    };
    for (const char* file : {"layout.xml", "default_namespace.xml"}) {
        SCOPED_TRACE(file);
        Workbook book;
        book.load(fixturePath(file));
        const workbook::Worksheet* sheet = book.sheet(u"Sheet1");
        ASSERT_NE(sheet, nullptr);
        for (const auto& e : expected) {
            const CellValue v = sheet->cell(QString::fromLatin1(e.cell));
            EXPECT_EQ(v.kind, e.kind) << e.cell;
            EXPECT_EQ(workbook::toText(v), QString::fromUtf8(e.text)) << e.cell;
        }
        EXPECT_EQ(sheet->rowCount(), 61);
        EXPECT_EQ(sheet->columnCount(), 9);
        EXPECT_EQ(book.activeSheet().name(), "Sheet1");
    }
}

TEST(Workbook, SheetIsFoundByNameWhereverItStandsExactCaseFirst) {
    Workbook book;
    book.load(fixturePath("layout.xml"));
    EXPECT_EQ(book.sheetNames(), (QStringList{"Sheet2", "Sheet1"}));
    EXPECT_EQ(textAt(*book.sheet(u"Sheet1"), "C1"), "3360");
    EXPECT_EQ(textAt(*book.sheet(u"Sheet2"), "A1"), "другой лист");
    EXPECT_EQ(book.sheet(u"sheet1"), book.sheet(u"Sheet1"));
    EXPECT_EQ(book.sheet(u"Sheet3"), nullptr);

    book.loadFromBytes(
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
        "<Worksheet ss:Name=\"SHEET1\"/><Worksheet ss:Name=\"Sheet1\"/><Worksheet "
        "ss:Name=\"sheet1\"/></Workbook>");
    for (const char* name : {"sheet1", "Sheet1", "SHEET1"}) {
        ASSERT_NE(book.sheet(QString::fromLatin1(name)), nullptr) << name;
        EXPECT_EQ(book.sheet(QString::fromLatin1(name))->name(), name);
    }
    ASSERT_NE(book.sheet(u"sHEET1"), nullptr);
    EXPECT_EQ(book.sheet(u"sHEET1")->name(), "SHEET1");  // no exact match: the first ignoring case
}

TEST(Workbook, ActiveSheetIsTheMarkedOneElseTheFirst) {
    struct Case {
        const char* body;
        const char* active;
    };
    const char* sheets =
        "<ss:Worksheet ss:Name=\"A\"/><ss:Worksheet ss:Name=\"B\"><x:WorksheetOptions><x:Selected/>"
        "</x:WorksheetOptions></ss:Worksheet><ss:Worksheet ss:Name=\"C\"/>";
    const Case cases[] = {
        {"<x:ExcelWorkbook><x:ActiveSheet>2</x:ActiveSheet></x:ExcelWorkbook>", "C"},
        {"<ExcelWorkbook "
         "xmlns=\"urn:schemas-microsoft-com:office:excel\"><ActiveSheet>0</ActiveSheet></ExcelWorkbook>",
         "A"},
        {"", "B"},                                                                     // Selected
        {"<x:ExcelWorkbook><x:ActiveSheet>7</x:ActiveSheet></x:ExcelWorkbook>", "B"},  // beyond the sheets
        {"<ActiveSheet>2</ActiveSheet>", "B"},  // not in the excel namespace: an unknown element
    };
    for (const auto& c : cases) {
        Workbook book;
        book.loadFromBytes(
            QByteArray("<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                       "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">") +
            c.body + sheets + "</ss:Workbook>");
        EXPECT_EQ(book.activeSheet().name(), c.active) << c.body;
    }
    Workbook unmarked;
    unmarked.loadFromBytes(sheetXml(""));
    EXPECT_EQ(unmarked.activeSheet().name(), "Sheet1");
}

TEST(Workbook, CellNamesIgnoreLetterCaseAndBadNamesThrow) {
    Workbook book;
    book.loadFromBytes(sheetXml(
        R"(<ss:Row ss:Index="10"><ss:Cell ss:Index="27"><ss:Data ss:Type="Number">7</ss:Data></ss:Cell></ss:Row>)"));
    const workbook::Worksheet& sheet = *book.sheet(u"Sheet1");
    EXPECT_EQ(textAt(sheet, "AA10"), "7");
    EXPECT_EQ(textAt(sheet, "aA10"), "7");
    EXPECT_EQ(sheet.cell(10, 27), sheet.cell(u"aa10"));
    for (const char* bad : {"", "7", "C", "C0", "C07", "1C", "C-1", "ABCD1", "C7 ", " C7", "$C$7", "C7:D8",
                            "Ж7", "C12345678", "XFE1", "A1048577"}) {
        EXPECT_THROW(sheet.cell(QString::fromUtf8(bad)), std::invalid_argument) << bad;
    }
    EXPECT_THROW(sheet.cell(0, 1), std::invalid_argument);
    EXPECT_THROW(sheet.cell(1, 0), std::invalid_argument);
    EXPECT_NO_THROW(sheet.cell(u"XFD1048576"));
}

TEST(Workbook, IndexMergeAcrossAndSpanPlaceCells) {
    Workbook book;
    book.loadFromBytes(sheetXml(R"(
   <ss:Row ss:Index="2">
    <ss:Cell><ss:Data ss:Type="String">A2</ss:Data></ss:Cell>
    <ss:Cell ss:Index="4" ss:MergeAcross="2"><ss:Data ss:Type="String">D2</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="String">G2</ss:Data></ss:Cell>
    <ss:Cell ss:StyleID="s1"/>
    <ss:Cell><ss:Data ss:Type="String">I2</ss:Data></ss:Cell>
    <ss:Cell v:Index="20" xmlns:v="urn:example:vendor" xml:lang="kk"><ss:Data ss:Type="String">J2</ss:Data></ss:Cell>
   </ss:Row>
   <ss:Row ss:Span="2"/>
   <ss:Row><ss:Cell><ss:Data ss:Type="String">A6</ss:Data></ss:Cell></ss:Row>)"));
    const workbook::Worksheet& sheet = book.activeSheet();
    const std::pair<const char*, const char*> cells[] = {
        {"A2", "A2"}, {"B2", ""}, {"D2", "D2"}, {"E2", ""},   {"F2", ""},
        {"G2", "G2"}, {"H2", ""}, {"I2", "I2"}, {"J2", "J2"},  // an Index of another namespace places nothing
                                                               // {"A3", ""}, {"A5", ""}, {"A6", "A6"}, {"A7",
                                                               // ""},
    };
    for (const auto& [name, text] : cells) EXPECT_EQ(textAt(sheet, name), text) << name;
    EXPECT_EQ(sheet.rowCount(), 6);
    EXPECT_EQ(sheet.columnCount(), 10);
}

TEST(Workbook, ValuesOfEveryTypeReadAsStored) {
    Workbook book;
    book.loadFromBytes(sheetXml(R"(<ss:Row xmlns:html="http://www.w3.org/TR/REC-html40">
    <ss:Cell><ss:Data ss:Type="Boolean">1</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="DateTime">2019-06-30T00:00:00.000</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="Error">#N/A</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="Number"> -1.25E-1 </ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="Number">12,5</ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="String">  два  пробела  </ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="String"><html:B>Қ</html:B>&#1178;<html:Font html:Color="#FF0000"><html:I>ә</html:I></html:Font></ss:Data></ss:Cell>
    <ss:Cell><ss:Data ss:Type="String"></ss:Data></ss:Cell>
    <ss:Cell ss:Formula="=1/0"><ss:Data ss:Type="Error">#DIV/0!</ss:Data></ss:Cell>
   </ss:Row>)"));
    const workbook::Worksheet& sheet = book.activeSheet();
    const CellValue expected[] = {
        {Kind::Boolean, 1, "1"},
        {Kind::DateTime, 0, "2019-06-30T00:00:00.000"},
        {Kind::Error, 0, "#N/A"},
        CellValue::ofNumber(-0.125),
        CellValue::ofText("12,5"),  // not a Number in the file's own form: kept as its text
        CellValue::ofText("  два  пробела  "),
        CellValue::ofText("ҚҚә"),
        CellValue::ofText(""),
        {Kind::Error, 0, "#DIV/0!"},
    };
    for (int column = 1; column <= int(std::size(expected)); ++column) {
        EXPECT_EQ(sheet.cell(1, column), expected[column - 1]) << "column " << column;
    }
}

TEST(Workbook, UnloadableFilesFailWithTheirRussianReasonAndKeepTheWorkbook) {
    struct Case {
        QByteArray bytes;
        const char* reason;
    };
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const Case cases[] = {
        {"", "файл пуст"},
        {" \r\n\t", "файл пуст"},
        {"<?xml version=\"1.0\"?>\n<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
         " <ss:Worksheet ss:Name=\"Sheet1\">\n</ss:Workbook>",
         "ошибка в разметке XML в строке 4, позиции 3: закрывающий тег не подходит к открытому или не "
         "хватает "
         "закрывающего тега"},
        // the parser's every refusal
        {sheetXml("<ss:Row><!x></ss:Row>"),
         "ошибка в разметке XML в строке 5, позиции 11: после «<» нет ни тега, ни комментария"},
        {sheetXml("<?pi"), "ошибка в разметке XML в строке 8, позиции 15: неверная инструкция «<?…?>»"},
        {sheetXml("<!-- no end"),
         "ошибка в разметке XML в строке 5, позиции 5: неверный или незакрытый комментарий «<!--…-->»"},
        {sheetXml("<![CDATA[ no end"),
         "ошибка в разметке XML в строке 5, позиции 10: неверный или незакрытый раздел «<![CDATA[…]]>»"},
        {"<!DOCTYPE ss:Workbook [<!ELEMENT",
         "ошибка в разметке XML в строке 1, позиции 32: неверное объявление типа документа «<!DOCTYPE…>»"},
        {sheetXml("<ss:Row/ >"), "ошибка в разметке XML в строке 5, позиции 9: неверный открывающий тег"},
        {sheetXml("<ss:Row ss:Index=2/>"), "ошибка в разметке XML в строке 5, позиции 18: неверный атрибут"},
        {sheetXml("<ss:Row></ss:Row x>"),
         "ошибка в разметке XML в строке 5, позиции 18: неверный закрывающий тег"},
        {"<!-- only a comment -->", "ошибка в разметке XML в строке 1, позиции 24: нет корневого элемента"},
        // the place counts letters, not bytes, and lines of a text the parser decoded itself
        {sheetXml("<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">Иванов<</ss:Data></ss:Cell></ss:Row>"),
         "ошибка в разметке XML в строке 5, позиции 51: после «<» нет ни тега, ни комментария"},
        {utf16(QStringLiteral("<?xml version=\"1.0\"?>\n<a>\n Әй</b>")),
         "ошибка в разметке XML в строке 3, позиции 6: закрывающий тег не подходит к открытому или не "
         "хватает "
         "закрывающего тега"},
        // text that is not what it says it is
        {cp1251(QString::fromUtf8(sheetXml("<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">Иванов</ss:Data>"
                                           "</ss:Cell></ss:Row>"))),
         "текст не в кодировке UTF-8 в строке 5, позиции 44"},
        // A byte-order mark says UTF-8 but the text is not.
        {fixtureBytes("bom_then_invalid_byte.xml"), "текст не в кодировке UTF-8 в строке 5, позиции 54"},
        {"<?xml version=\"1.0\" encoding=\"no-such-code\"?><a/>", "неизвестная кодировка «no-such-code»"},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?><a>\xC0</a>", "текст не в кодировке US-ASCII"},
        // References the parser would turn into bytes that are no UTF-8.
        {fixtureBytes("reference_beyond_unicode.xml"),
         "ссылка на знак, которого нет в Юникоде, в теге или тексте со строки 5, позиции 47"},
        {sheetXml("<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">&#x110000;</ss:Data></ss:Cell></ss:Row>"),
         "ссылка на знак, которого нет в Юникоде, в теге или тексте со строки 5, позиции 44"},
        {sheetXml("<ss:Row><ss:Cell ss:StyleID=\"&#xD800;\"/></ss:Row>"),
         "ссылка на знак, которого нет в Юникоде, в теге или тексте со строки 5, позиции 10"},
        {"<!DOCTYPE ss:Workbook [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n" + sheetXml("").mid(39),
         "файл объявляет сущности (<!ENTITY>), такие файлы не принимаются"},
        {"<!DOCTYPE lol [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
         "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><ss:Worksheet "
         "ss:Name=\"&b;\"/>"
         "</ss:Workbook>",
         "файл объявляет сущности (<!ENTITY>), такие файлы не принимаются"},
        // well-formed, but no spreadsheet
        {"<html><body>Sheet1</body></html>", "это не таблица XML: корневой элемент <html>, а не Workbook"},
        {"<Workbook xmlns=\"urn:schemas-microsoft-com:office:excel\"><Worksheet/></Workbook>",
         "это не таблица XML: корневой элемент <Workbook> не из пространства имён "
         "urn:schemas-microsoft-com:office:spreadsheet"},
        // a prefix no declaration binds: no XML with namespaces, and an export that declares the
        // prefix for what it writes would give those attributes a meaning
        {fixtureBytes("undeclared_prefix.xml"),
         "ошибка в разметке XML в строке 5, позиции 4: префикс «ss» в имени «ss:Index» не объявлен (нет "
         "xmlns:ss)"},
        {"<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\">\n <x:Worksheet/></Workbook>",
         "ошибка в разметке XML в строке 2, позиции 2: префикс «x» в имени «x:Worksheet» не объявлен (нет "
         "xmlns:x)"},
        {sheetXml("<ss:Row xmlns:v=\"urn:example:vendor\" v:Span=\"1\"/>\n<ss:Row v:Span=\"1\"/>"),
         "ошибка в разметке XML в строке 6, позиции 1: префикс «v» в имени «v:Span» не объявлен (нет "
         "xmlns:v)"},
        {sheetXml("<ss:Row/>", " xmlns:ss=\"\""),
         "ошибка в разметке XML в строке 4, позиции 3: префикс «ss» в имени «ss:Table» не объявлен (нет "
         "xmlns:ss)"},
        {"<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"/>",
         "в книге нет ни одного листа"},
        {sheetXml("<ss:Row ss:Index=\"5\"/><ss:Row ss:Index=\"3\"/>"),
         "лист «Sheet1»: строка 3 стоит после строки 5"},
        {sheetXml("<ss:Row><ss:Cell ss:MergeAcross=\"2\"/><ss:Cell ss:Index=\"2\"/></ss:Row>"),
         "лист «Sheet1»: столбец 2 стоит после столбца 3"},
        {sheetXml("<ss:Row><ss:Cell ss:Index=\"x\"/></ss:Row>"),
         "лист «Sheet1»: номер столбца (Index) «x» — не целое число от 1 до 16384"},
        {sheetXml("<ss:Row ss:Index=\"0\"/>"),
         "лист «Sheet1»: номер строки (Index) «0» — не целое число от 1 до 1048576"},
        {sheetXml("<ss:Row ss:Span=\"-1\"/>"),
         "лист «Sheet1»: число строк (Span) «-1» — не целое число от 0 до 1048575"},
        {sheetXml("<ss:Row><ss:Cell ss:MergeAcross=\"a\"/></ss:Row>"),
         "лист «Sheet1»: число объединённых столбцов (MergeAcross) «a» — не целое число от 0 до 16383"},
        {sheetXml("<ss:Row ss:Index=\"1048576\"/><ss:Row/>"),
         "лист «Sheet1»: строка 1048577 за последней строкой листа, 1048576"},
        {sheetXml("<ss:Row><ss:Cell ss:Index=\"16384\"/><ss:Cell/></ss:Row>"),
         "лист «Sheet1»: столбец 16385 за последним столбцом листа, 16384"},
    };
    ProgramFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        Workbook book;
        book.load(fixturePath("layout.xml"));
        const QByteArray before = book.toBytes();
        try {
            book.loadFromBytes(c.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const Error& e) {
            EXPECT_TRUE(std::string_view(e.what()) == c.reason) << e.what();
            EXPECT_TRUE(isRussian(QString::fromUtf8(e.what())));
        }
        folder.write("bad.xml", c.bytes);
        try {
            book.load(folder.file("bad.xml"));
            ADD_FAILURE() << "loaded";
        } catch (const Error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()) ==
                        folder.file("bad.xml") + ": " + QString::fromUtf8(c.reason))
                << e.what();
        }
        EXPECT_TRUE(book.toBytes() == before);
        ASSERT_NE(book.sheet(u"Sheet1"), nullptr);
        EXPECT_EQ(textAt(*book.sheet(u"Sheet1"), "C1"), "3360");
    }
}

// A file over 2 GiB has lines and positions beyond what an int holds: they are counted and told in
// full. The count goes on from a place that far in, rather than over gigabytes of text.
TEST(Workbook, AnErrorPlaceBeyondTwoGibibytesIsCountedAndToldInFull) {
    using workbook::reason::Place;
    constexpr qsizetype kIntMax = std::numeric_limits<int>::max();
    const struct {
        Place from;
        QByteArray text;
        Place to;
    } cases[] = {
        {{1, kIntMax - 1}, "ab", {1, kIntMax + 1}},
        {{kIntMax, 7}, "x\n\ny", {kIntMax + 2, 2}},
        {{3, kIntMax}, "Иванов\r", {3, kIntMax + 7}},  // a letter is one position, whatever its bytes
        {{4 * kIntMax, 5 * kIntMax}, "", {4 * kIntMax, 5 * kIntMax}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(workbook::reason::advance(c.from, c.text), c.to);
    }
    const Place far{kIntMax + 2, 3 * kIntMax};
    EXPECT_EQ(workbook::reason::notUtf8(far).toStdString(),
              "текст не в кодировке UTF-8 в строке 2147483649, позиции 6442450941");
    EXPECT_EQ(
        workbook::reason::undeclaredPrefix("ss:Index", far).toStdString(),
        "ошибка в разметке XML в строке 2147483649, позиции 6442450941: префикс «ss» в имени «ss:Index» "
        "не объявлен (нет xmlns:ss)");
}

// The parser writes into the text as it reads it (ends of names, line ends in attribute values), so
// the place of an error is counted in the text as it came: the same from a file and from bytes.
TEST(Workbook, AParseErrorIsPlacedInTheTextAsItCame) {
    const QByteArray bytes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<ss:Workbook\r\n"
        " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
        " <ss:Worksheet ss:Name=\"Лист\n1\">\r\n"
        "  <ss:Table><ss:Row><ss:Cell><ss:Data ss:Type=\"String\">а\r\nб</ss:Data></ss:Cell></ss:Row>\r\n"
        "</ss:Workbook>\r\n";
    ProgramFolder folder;
    folder.write("bad.xml", bytes);
    QStringList reasons;
    for (bool fromFile : {false, true}) {
        Workbook book;
        try {
            if (fromFile) {
                book.load(folder.file("bad.xml"));
            } else {
                book.loadFromBytes(bytes);
            }
            ADD_FAILURE() << "loaded";
        } catch (const Error& e) {
            reasons << QString::fromUtf8(e.what()).section(QStringLiteral("ошибка в разметке XML"), 1);
        }
    }
    ASSERT_EQ(reasons.size(), 2);
    EXPECT_TRUE(reasons[0].startsWith(u" в строке 8, позиции 3:")) << reasons[0].toStdString();
    EXPECT_EQ(reasons[0], reasons[1]);
}

// A base far larger than the pieces the text is checked in: a letter cut by a piece's end reads
// whole, a bad byte far into the file is still found, and the export gives back every byte.
TEST(Workbook, ALargeBaseIsCheckedWholeAndExportsByteForByte) {
    const auto base = [](const QByteArray& pad) {
        QByteArray rows;
        for (int r = 1; rows.size() < 300000; ++r) {
            rows += "   <ss:Row>\n    <ss:Cell><ss:Data ss:Type=\"String\">Қасымов Әйгерім " +
                    (r == 1 ? pad : QByteArray::number(r)) +
                    "</ss:Data></ss:Cell>\n    <ss:Cell><ss:Data ss:Type=\"Number\">" +
                    QByteArray::number(2000 + r % 30) + "</ss:Data></ss:Cell>\n   </ss:Row>\n";
        }
        rows.chop(1);
        return sheetXml(rows.constData());
    };
    // The first row's padding puts the middle of a two-byte letter at the first 64 KiB mark.
    QByteArray pad = "1";
    QByteArray bytes = base(pad);
    while ((uchar(bytes[1 << 16]) & 0xC0) != 0x80) bytes = base(pad += ' ');

    ProgramFolder folder;
    folder.write("2.xml", bytes);
    Workbook book;
    book.load(folder.file("2.xml"));
    EXPECT_EQ(book.toBytes(), bytes);
    const int last = book.activeSheet().rowCount();
    EXPECT_GT(last, 1500);
    EXPECT_EQ(textAt(book.activeSheet(), "A1"), QString::fromUtf8("Қасымов Әйгерім " + pad));
    EXPECT_EQ(workbook::toText(book.activeSheet().cell(last, 1)),
              QStringLiteral("Қасымов Әйгерім %1").arg(last));

    QByteArray damaged = bytes;
    const qsizetype bad = damaged.lastIndexOf("Әйгерім");
    damaged[bad + 1] = '\xFF';
    const qsizetype lineStart = damaged.lastIndexOf('\n', bad) + 1;
    const QString place = QStringLiteral("в строке %1, позиции %2")
                              .arg(damaged.left(bad).count('\n') + 1)
                              .arg(QString::fromUtf8(damaged.mid(lineStart, bad - lineStart)).size() + 1);
    folder.write("2.xml", damaged);
    try {
        book.load(folder.file("2.xml"));
        ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
        EXPECT_TRUE(
            QString::fromUtf8(e.what()).endsWith(QStringLiteral(": текст не в кодировке UTF-8 ") + place))
            << e.what();
    }
    EXPECT_EQ(book.toBytes(), bytes);
}

// The system's reason, in the system's Russian words; the file is named once, before it.
TEST(Workbook, AFileThatCannotBeReadFailsNamingItAndTheSystemsReason) {
    ProgramFolder folder;
    QDir(folder.path()).mkdir("folder.xml");
    folder.write("locked/1.xml", fixtureBytes("layout.xml"));
    const auto expectReason = [&](const QString& path, const char* reason) {
        Workbook book;
        try {
            book.load(path);
            ADD_FAILURE() << "loaded " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.file(), path);
            EXPECT_EQ(e.reason(), QString::fromUtf8(reason)) << e.what();
        }
        EXPECT_EQ(book.sheetNames(), (QStringList{"Sheet1", "Sheet2", "Sheet3"}));
    };
    expectReason(folder.file("1.xml"), "файл или папка не найдены");
    expectReason(folder.file("folder.xml"), "на месте файла находится папка");
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        QFile::setPermissions(folder.file("locked/1.xml"), QFileDevice::WriteOwner);
        expectReason(folder.file("locked/1.xml"), "нет доступа");
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
}

TEST(Workbook, FilesInOtherEncodingsReadTheSameText) {
    const QString text = QString::fromUtf8("Иванов Қ");
    const QByteArray utf8 =
        sheetXml("<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">Иванов &#1178;</ss:Data></ss:Cell></ss:Row>");
    QByteArray cyrillic = utf8;
    cyrillic.replace("encoding=\"UTF-8\"", "encoding=\"windows-1251\"");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    // Whatever came in, the export is UTF-8 and says so; the text the parser read as it is written
    // (UTF-8 and the windows-1251 text once decoded) keeps its own form, references included.
    struct Case {
        QByteArray bytes;
        QByteArray exported;
    };
    const Case cases[] = {
        {utf8, utf8},
        {"\xEF\xBB\xBF" + utf8, "\xEF\xBB\xBF" + utf8},
        {cp1251(QString::fromUtf8(cyrillic)), utf8},
        {utf16(QString::fromUtf8(utf8).replace("UTF-8", "UTF-16")), QByteArray(utf8).replace("&#1178;", "Қ")},
        // A stray letter makes the declaration's encoding an attribute of another name, which the
        // reader still takes for the encoding: the export must say UTF-8 before it.
        {cp1251(QString::fromUtf8(cyrillic).replace(" encoding", " Хencoding")), {}},
        // Text before the declaration hides it from the reader, which reads UTF-8; the export, which
        // puts the declaration first, must not name another encoding there.
        {"x" + QByteArray(utf8).replace("UTF-8", "UTF-7"), {}},
    };
    for (const Case& c : cases) {
        Workbook book;
        book.loadFromBytes(c.bytes);
        EXPECT_EQ(workbook::toText(book.activeSheet().cell(1, 1)), text);
        if (!c.exported.isEmpty()) {
            EXPECT_EQ(book.toBytes(), c.exported);
        }
        Workbook again;
        again.loadFromBytes(book.toBytes());
        EXPECT_EQ(workbook::toText(again.activeSheet().cell(1, 1)), text) << book.toBytes().constData();
    }
}

TEST(Workbook, ExportReplacesTheWholeFile) {
    ProgramFolder folder;
    folder.write("1.xml", QByteArray(100000, 'x'));
    Workbook book;
    book.load(fixturePath("layout.xml"));
    book.exportTo(folder.file("1.xml"));
    EXPECT_EQ(folder.read("1.xml"), book.toBytes());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"1.xml"});  // no temporary file left
}

TEST(Workbook, FailedExportThrowsNamingTheFileAndWritesNothing) {
    ProgramFolder folder;
    folder.write("plain", "not a folder");
    QDir(folder.path()).mkdir("1.xml");
    Workbook book;
    for (const QString& path : {folder.file("plain/1.xml"), folder.file("1.xml")}) {
        try {
            book.exportTo(path);
            ADD_FAILURE() << "exported to " << path.toStdString();
        } catch (const ui::Error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(path + ": ")) << e.what();
            EXPECT_TRUE(isRussian(QString::fromUtf8(e.what()).mid(path.size()))) << e.what();
        }
    }
    EXPECT_EQ(folder.read("plain"), "not a folder");
    EXPECT_TRUE(QFileInfo(folder.file("1.xml")).isDir());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"plain"});
}

TEST(Workbook, FailedExportIntoAReadOnlyFolderKeepsTheOldFile) {
    ProgramFolder folder;
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        folder.write("ro/1.xml", "old contents");
        QFile::setPermissions(folder.file("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Workbook book;
        EXPECT_THROW(book.exportTo(folder.file("ro/1.xml")), ui::Error);
        QFile::setPermissions(folder.file("ro"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(folder.read("ro/1.xml"), "old contents");
    EXPECT_EQ(QDir(folder.file("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"1.xml"});
}

TEST(Workbook, AReadOnlyFileIsNeverReplacedWhoeverRunsTheProgram) {
    ProgramFolder folder;
    folder.write("1.xml", "old contents");
    QFile::setPermissions(folder.file("1.xml"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Workbook book;
    EXPECT_THROW(book.exportTo(folder.file("1.xml")), ui::Error);
    EXPECT_EQ(folder.read("1.xml"), "old contents");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"1.xml"});
}

// A file-size limit refuses a write the way a full disk does: part of it, or all.
TEST(Workbook, AnExportThatTheDiskRefusesThrowsAndKeepsTheOldFile) {
    Workbook book;
    book.load(fixturePath("layout.xml"));
    const qint64 size = book.toBytes().size();
    for (const qint64 limit : {qint64(0), size / 2, size - 1}) {
        ProgramFolder folder;
        folder.write("1.xml", "old contents");
        runInChild([&] {
            limitFileSize(limit);
            try {
                book.exportTo(folder.file("1.xml"));
                ADD_FAILURE() << "limit " << limit << ": the refused export was taken for a success";
            } catch (const ui::Error& e) {
                EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(folder.file("1.xml") + ": ")) << e.what();
                EXPECT_TRUE(isRussian(QString::fromUtf8(e.what()).mid(folder.file("1.xml").size())))
                    << e.what();
            }
        });
        EXPECT_EQ(folder.read("1.xml"), "old contents") << "limit " << limit;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"1.xml"});
    }
}

TEST(Workbook, WhateverLoadsExportsToAFileThatLoadsAgainWithTheSameCells) {
    const QByteArray inputs[] = {
        fixtureBytes("layout.xml"),
        fixtureBytes("default_namespace.xml"),
        sheetXml(
            "<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">&#x10FFFF;&#xD7FF;&#xE000;&#1;&#13;&#9;</ss:Data>"
            "</ss:Cell></ss:Row>"),
        sheetXml("<ss:Row><ss:Cell><ss:Data "
                 "ss:Type=\"String\">a\r\nb&#13;&#10;c&#13;</ss:Data></ss:Cell></ss:Row>"),
        sheetXml(
            "<ss:Row><ss:Cell><ss:Data ss:Type=\"String\"><![CDATA[<&>]]>&lt;&amp;&gt;&quot;&apos;</ss:Data>"
            "</ss:Cell></ss:Row>"),
        sheetXml(
            "<ss:Row><ss:Cell><ss:Data ss:Type=\"String\"><B>Ив</B>&#13; <I>&#x49A;</I></ss:Data></ss:Cell>"
            "</ss:Row>"),
        QByteArray("\xEF\xBB\xBF") +
            sheetXml("<ss:Row><ss:Cell><ss:Data ss:Type=\"Number\"> 1e3 </ss:Data></ss:Cell>"
                     "</ss:Row>"),
        QByteArray(sheetXml("").replace("Sheet1", "&#9;Лист&#13;&#10;&quot;&#x1F600;")),
    };
    for (const QByteArray& bytes : inputs) {
        SCOPED_TRACE(bytes.toStdString());
        Workbook book;
        book.loadFromBytes(bytes);
        Workbook again;
        ASSERT_NO_THROW(again.loadFromBytes(book.toBytes())) << book.toBytes().toStdString();
        EXPECT_EQ(cellDifference(book, again).toStdString(), "");
    }
}
