// Selecting a print field by a click on its field label: the key goes into Text100 first, then the
// field's Top cell onto VScroll1 and its Left cell onto HScroll1 (each bar's Change, running inside
// the write, moves the field just selected), then the colours mark it.
#include <QStringLiteral>

#include "main_window/layout_editor/field_keys.h"
#include "workbook/cell_value.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
constexpr ui::OleColor kSelectedColour = 255;

// The bar takes the cell's whole number (a half goes to the even neighbour). A number outside the
// bar's range shows the bar at its nearer end without running Change, so neither the cell nor the
// label moves until the operator moves the bar; a cell that holds no number leaves the bar as it
// is. Either way the selection completes and nothing the operator did not move is rewritten.
void showCellOnBar(ui::ScrollBar& bar, const workbook::CellValue& cell) {
    const std::optional<float> number = workbook::toSingle(cell);
    if (!number) return;
    const std::optional<std::int16_t> whole = workbook::toInteger16(cell);
    if (whole && *whole >= bar.min() && *whole <= bar.max())
        bar.setValue(*whole);
    else
        bar.setValueWithoutChange(*number < float(bar.min()) ? bar.min() : bar.max());
}
}  // namespace

const PrintField* fieldOfKey(const QString& key) {
    for (const PrintField& f : kPrintFields)
        if (key == QLatin1String(f.key)) return &f;
    return nullptr;
}

void Vazed::SelectField(const PrintField& field) {
    Text100.setText(QString::fromLatin1(field.key));
    workbook::Worksheet& sheet = layoutSheet();
    showCellOnBar(VScroll1, sheet.cell(QStringLiteral("c%1").arg(field.row)));
    showCellOnBar(HScroll1, sheet.cell(QStringLiteral("E%1").arg(field.row)));
    for (const PrintField& f : kPrintFields)
        (this->*f.label).setForeColor(&f == &field ? kSelectedColour : ui::syscolor::kButtonText);
}

}  // namespace velmox
