#include "workbook/spreadsheet.h"

#include "platform/paths.h"

namespace workbook {

Spreadsheet::Spreadsheet() : Spreadsheet(Workbook()) {}

Spreadsheet::Spreadsheet(Workbook design) : ui::Control(new QWidget), workbook_(std::move(design)) {}

void Spreadsheet::setXMLURL(const QString& path) {
    workbook_.load(ui::programPath(path));
    xmlUrl_ = path;
}

void Spreadsheet::exportWorkbook(const QString& fileName) const {
    workbook_.exportTo(ui::programPath(fileName));
}

}  // namespace workbook
