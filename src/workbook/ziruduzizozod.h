#pragma once
// The hidden window that holds the layout workbook for the whole run. It is never shown.
#include "common/language.h"
#include "platform/form.h"
#include "workbook/spreadsheet.h"

namespace velmox {

class Ziruduzizozod : public ui::Form {
public:
    Ziruduzizozod();
    workbook::Spreadsheet Spreadsheet1;
};

// The layout workbook's "Sheet1"; throws when the workbook has none.
workbook::Worksheet& layoutSheet();
// A caption of the translation table: column 'g' (Russian) or 'h' (Kazakh) of `row`, as text.
QString translation(QChar column, int row);
// The same in a language: the windows' language::RowText.
QString translationRow(language::Language l, int row);

}  // namespace velmox
