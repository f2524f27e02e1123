// The layout editor's two bars move the selected field: each new Value goes into the field's cell
// of the field position table in memory (column c for the Top, E for the Left), and the label is
// placed from that cell as read back, so the label always stands where the table says. Only the
// selected label moves, even where one entry control feeds two labels.
#include <QStringLiteral>

#include "main_window/layout_editor/field_keys.h"
#include "workbook/cell_value.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
using Place = void (ui::Control::*)(ui::Twips);

void moveSelectedField(Vazed& v, const ui::ScrollBar& bar, QChar column, Place place) {
    const PrintField* field = fieldOfKey(v.Text100.text());
    if (!field) return;
    workbook::Worksheet& sheet = layoutSheet();
    const QString cell = QStringLiteral("%1%2").arg(column).arg(field->row);
    sheet.setInteger(cell, bar.value());
    if (const std::optional<float> at = workbook::toSingle(sheet.cell(cell)))
        ((v.*field->label).*place)(ui::Twips(*at));
}
}  // namespace

void Vazed::bindLayoutEditor() {
    for (const PrintField& f : kPrintFields) (this->*f.label).onClick = [this, &f] { SelectField(f); };
    HScroll1.onChange = [this] { HScroll1_Change(); };
    HScroll1.onScroll = [this] { HScroll1_Scroll(); };
    VScroll1.onChange = [this] { VScroll1_Change(); };
    VScroll1.onScroll = [this] { VScroll1_Scroll(); };
    Label73.onMouseDown = [this](const ui::MouseArgs& a) { Label73_MouseDown(a); };
    Label73.onMouseMove = [this](const ui::MouseArgs& a) { Label73_MouseMove(a); };
    Label73.onMouseUp = [this](const ui::MouseArgs& a) { Label73_MouseUp(a); };
}

void Vazed::HScroll1_Change() {
    moveSelectedField(*this, HScroll1, u'E', &ui::Control::setLeft);
}
void Vazed::HScroll1_Scroll() {
    moveSelectedField(*this, HScroll1, u'E', &ui::Control::setLeft);
}
void Vazed::VScroll1_Change() {
    moveSelectedField(*this, VScroll1, u'c', &ui::Control::setTop);
}
void Vazed::VScroll1_Scroll() {
    moveSelectedField(*this, VScroll1, u'c', &ui::Control::setTop);
}

}  // namespace velmox
