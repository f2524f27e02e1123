// The layout workbook: positions placed from it, carried whole through the close's export.
#include "main_window/vazed_fixture.h"
#include "workbook/workbook.h"
#include "workbook/ziruduzizozod.h"

using velmox::Vazed;

namespace {
// Sheet2 stands before Sheet1; Sheet1 holds rows 1, 7, 45 and 46, other columns and a style.
QByteArray layoutWithNeighbours() {
    return R"(<?xml version="1.0"?>
<?mso-application progid="Excel.Sheet"?>
<Workbook xmlns="urn:schemas-microsoft-com:office:spreadsheet" xmlns:o="urn:schemas-microsoft-com:office:office"
 xmlns:x="urn:schemas-microsoft-com:office:excel" xmlns:ss="urn:schemas-microsoft-com:office:spreadsheet">
 <Styles>
  <Style ss:ID="Default" ss:Name="Normal"><Font ss:FontName="Arial" ss:Size="10"/></Style>
  <Style ss:ID="s21"><Font ss:Bold="1"/><Interior ss:Color="#FFFF00" ss:Pattern="Solid"/></Style>
 </Styles>
 <Worksheet ss:Name="Sheet2">
  <Table><Row><Cell><Data ss:Type="String">notes</Data></Cell><Cell><Data ss:Type="Number">42</Data></Cell></Row></Table>
 </Worksheet>
 <Worksheet ss:Name="Sheet1">
  <Table ss:ExpandedColumnCount="9" ss:ExpandedRowCount="49">
   <Row><Cell ss:Index="3"><Data ss:Type="Number">1000</Data></Cell><Cell ss:StyleID="s21"><Data ss:Type="String">keep</Data></Cell>
    <Cell><Data ss:Type="Number">2000</Data></Cell><Cell ss:Index="9"><Data ss:Type="String">other</Data></Cell></Row>
   <Row ss:Index="7"><Cell ss:Index="3"><Data ss:Type="String">4000</Data></Cell><Cell ss:Index="5"><Data ss:Type="Number">500.5</Data></Cell></Row>
   <Row ss:Index="45"><Cell ss:Index="3"><Data ss:Type="Number">7777</Data></Cell><Cell ss:Index="5"><Data ss:Type="Number">8888</Data></Cell></Row>
   <Row><Cell ss:Index="3"><Data ss:Type="Number">-10</Data></Cell></Row>
  </Table>
 </Worksheet>
</Workbook>
)";
}

}  // namespace

TEST_F(VazedTest, PositionsArePlacedFromSheet1WhereverItStandsAndTheExportChangesOnlyTheMovedCell) {
    folder.write("1.xml", layoutWithNeighbours());
    Vazed& v = start();
    EXPECT_EQ(v.Label1.top().value, 1000);
    EXPECT_EQ(v.Label1.left().value, 2000);
    EXPECT_EQ(v.Label7.top().value, 4000);     // a text in number form
    EXPECT_EQ(v.Label7.left().value, 500.5f);  // kept unrounded
    // Empty position cells put the coordinate at 0; rows 45 and 46 move nothing.
    EXPECT_EQ(v.Label2.top().value, 0);
    EXPECT_EQ(v.Label76.top().value, 0);

    velmox::layoutSheet().setInteger(u"c7", 5000);
    close();

    workbook::Workbook before, after;
    before.loadFromBytes(layoutWithNeighbours());
    after.load(folder.file("1.xml"));
    QStringList expected = allCells(before);
    expected.replace(expected.indexOf(QStringLiteral("Sheet1!R7C3=4000")),
                     QStringLiteral("Sheet1!R7C3=5000"));
    EXPECT_EQ(allCells(after), expected);
    EXPECT_EQ(after.sheetNames(), (QStringList{QStringLiteral("Sheet2"), QStringLiteral("Sheet1")}));
    const QByteArray exported = folder.read("1.xml");
    EXPECT_EQ(exported, layoutWithNeighbours().replace("<Data ss:Type=\"String\">4000</Data>",
                                                       "<Data ss:Type=\"Number\">5000</Data>"));

    Vazed& again = start();
    EXPECT_EQ(again.Label7.top().value, 5000);
}

TEST_F(VazedTest, ShippedLayoutPlacesEveryFieldAtItsDesignPlace) {
    Vazed& v = start();
    for (const auto& f : velmox::kPrintFields) {
        EXPECT_EQ((v.*f.label).top().value, f.design.top) << f.key;
        EXPECT_EQ((v.*f.label).left().value, f.design.left) << f.key;
    }
}
