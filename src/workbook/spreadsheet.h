#pragma once
// The spreadsheet control: one workbook held in memory, loaded from an XML spreadsheet file by
// setting XMLURL and exported under a file name. A window places it like any other control.
#include <QString>

#include "platform/control.h"
#include "workbook/workbook.h"

namespace workbook {

class Spreadsheet : public ui::Control {
public:
    // Holds the component's design workbook until a load replaces it.
    Spreadsheet();
    explicit Spreadsheet(Workbook design);

    const QString& xmlUrl() const { return xmlUrl_; }
    // Loads the file's workbook in place of the one held; throws LoadError and keeps the old
    // workbook when the file does not load.
    void setXMLURL(const QString& path);
    // Exports the whole workbook; a relative name resolves against the program folder.
    void exportWorkbook(const QString& fileName) const;

    Workbook& workbook() { return workbook_; }
    Worksheet* sheet(QStringView name) { return workbook_.sheet(name); }
    Worksheet& activeSheet() { return workbook_.activeSheet(); }

private:
    Workbook workbook_;
    QString xmlUrl_;
};

}  // namespace workbook
