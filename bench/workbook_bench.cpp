// Load, export and reads by name of a student-base-sized workbook.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include "workbook/workbook.h"

namespace {

// 10,000 rows of six columns: four names, a year and a registration number, as a student base holds.
QByteArray studentBase(int rows) {
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\n"
        " <Worksheet ss:Name=\"Sheet1\">\n  <Table>\n";
    for (int r = 1; r <= rows; ++r) {
        const QByteArray n = QByteArray::number(r);
        xml +=
            "   <Row>\n"
            "    <Cell><Data ss:Type=\"String\">Қожахметова" +
            n +
            "</Data></Cell>\n"
            "    <Cell><Data ss:Type=\"String\">Әйгерім Ғалымқызы</Data></Cell>\n"
            "    <Cell><Data ss:Type=\"Number\">" +
            QByteArray::number(1000 + r % 9000) +
            "</Data></Cell>\n"
            "    <Cell><Data ss:Type=\"String\">Иванова Анна</Data></Cell>\n"
            "    <Cell><Data ss:Type=\"Number\">" +
            QByteArray::number(2015 + r % 8) +
            "</Data></Cell>\n"
            "    <Cell ss:StyleID=\"s21\"><Data ss:Type=\"String\">ЖБ-" +
            n +
            "</Data></Cell>\n"
            "   </Row>\n";
    }
    xml += "  </Table>\n </Worksheet>\n</Workbook>\n";
    return xml;
}

const QByteArray& tenThousandRows() {
    static const QByteArray bytes = studentBase(10000);
    return bytes;
}

void BM_LoadTenThousandRows(benchmark::State& state) {
    for (auto _ : state) {
        workbook::Workbook book;
        book.loadFromBytes(tenThousandRows());
        benchmark::DoNotOptimize(book);
    }
    state.SetBytesProcessed(state.iterations() * tenThousandRows().size());
}
BENCHMARK(BM_LoadTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_ExportTenThousandRows(benchmark::State& state) {
    workbook::Workbook book;
    book.loadFromBytes(tenThousandRows());
    for (auto _ : state) {
        QByteArray bytes = book.toBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * tenThousandRows().size());
}
BENCHMARK(BM_ExportTenThousandRows)->Unit(benchmark::kMillisecond);

// "Сохранить" of a base of 10,000 students that changed: the bytes, then the file replaced whole on
// the disk, its lock taken and its folder flushed.
void BM_SaveTenThousandRows(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2.xml"));
    workbook::Workbook book;
    book.loadFromBytes(tenThousandRows());
    book.exportTo(path);
    int round = 0;
    for (auto _ : state) {
        // A changed cell, so that every save writes.
        book.activeSheet().setText(2, 1, QString::number(++round));
        book.exportTo(path);
    }
}
BENCHMARK(BM_SaveTenThousandRows)->Unit(benchmark::kMillisecond);

// The placement of the field labels: columns C and E of rows 1 to 47, by name, each looking the sheet up.
void BM_Read94CellsByName(benchmark::State& state) {
    workbook::Workbook book;
    book.loadFromBytes(tenThousandRows());
    QStringList names;
    for (int r = 1; r <= 47; ++r) names << QStringLiteral("C%1").arg(r) << QStringLiteral("e%1").arg(r);
    for (auto _ : state) {
        float sum = 0;
        for (const QString& name : names)
            sum += workbook::toSingle(book.sheet(u"Sheet1")->cell(name)).value_or(0);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Read94CellsByName)->Unit(benchmark::kMicrosecond);

void BM_WriteCellByName(benchmark::State& state) {
    workbook::Workbook book;
    book.loadFromBytes(tenThousandRows());
    int16_t value = 0;
    for (auto _ : state) book.sheet(u"Sheet1")->setInteger(u"c7", ++value);
}
BENCHMARK(BM_WriteCellByName)->Unit(benchmark::kMicrosecond);

}  // namespace


