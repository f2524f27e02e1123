#include "workbook/ziruduzizozod.h"

#include "platform/error.h"
#include "platform/program_folder.h"

#include "workbook/workbook_reasons.h"

namespace velmox {

Ziruduzizozod::Ziruduzizozod() : ui::Form(QStringLiteral("Ziruduzizozod")) {
    Spreadsheet1.create(*this, QStringLiteral("Spreadsheet1"), {0, 0, 4800, 3600});
}

workbook::Worksheet& layoutSheet() {
    workbook::Worksheet* s = ui::form<Ziruduzizozod>().Spreadsheet1.sheet(u"Sheet1");
    if (!s) throw ui::Error(ui::programPath(QStringLiteral("1.xml")), workbook::reason::noLayoutSheet());
    return *s;
}

QString translation(QChar column, int row) {
    return workbook::toText(layoutSheet().cell(QStringLiteral("%1%2").arg(column).arg(row)));
}

QString translationRow(language::Language l, int row) {
    return translation(l == language::Language::Kazakh ? u'h' : u'g', row);
}

}  // namespace velmox
