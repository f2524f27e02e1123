// The workbook loader on any bytes: a file either fails with a ui::Error or loads, and then its
// export loads again with the same sheets and cells, and exports again to the very same bytes; after
// a write of one cell its export still loads, with that cell and every other as the workbook holds
// them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "workbook/same_cells.h"
#include "workbook/workbook.h"

namespace {

[[noreturn]] void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// Every reading the program does of a loaded workbook.
void readEverything(const workbook::Workbook& book) {
    (void)book.activeSheet().name();
    for (const QString& name : book.sheetNames()) {
        const workbook::Worksheet* sheet = book.sheet(name);
        if (!sheet) fail("a listed sheet is not found", name);
        (void)sheet->rowCount();
        (void)sheet->columnWidths();
        for (const auto& c : sheet->filledCells()) {
            if (sheet->cell(c.row, c.column) != c.value) fail("a cell reads differently by position", name);
            (void)workbook::toText(c.value);
            (void)workbook::toSingle(c.value);
            (void)workbook::toInteger16(c.value);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    workbook::Workbook book;
    try {
        book.loadFromBytes(bytes);
    } catch (const ui::Error&) {
        return 0;
    }
    readEverything(book);
    const QByteArray exported = book.toBytes();
    workbook::Workbook again;
    try {
        again.loadFromBytes(exported);
    } catch (const ui::Error& e) {
        fail("the export of a loaded file does not load", QString::fromUtf8(e.what()));
    }
    const QString difference = cellDifference(book, again);
    if (!difference.isEmpty()) fail("the export changed the cells", difference);
    if (again.toBytes() != exported)
        fail("an unchanged export exported again differs", QString::fromUtf8(exported));

    // A write where the file's first bytes say (a file that loads has some), among and around its
    // rows: the export loads again with the written cell and every other as it was.
    const int row = 1 + data[0] % 32, column = 1 + (size > 1 ? data[1] % 8 : 0);
    book.activeSheet().setText(row, column, QStringLiteral("b"));
    workbook::Workbook written;
    try {
        written.loadFromBytes(book.toBytes());
    } catch (const ui::Error& e) {
        fail("the export of a written file does not load", QString::fromUtf8(e.what()));
    }
    const QString writtenDifference = cellDifference(book, written);
    if (!writtenDifference.isEmpty())
        fail("the export of a written file changed the cells", writtenDifference);
    return 0;
}
