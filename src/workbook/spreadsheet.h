#pragma once
// The spreadsheet control: one workbook held in memory, loaded from an XML spreadsheet file by
// setting XMLURL and exported under a file name. A window places it like any other control; when
// it is shown, the operator edits the active worksheet in an editable grid.
#include <QPointer>
#include <QString>

#include "platform/control.h"
#include "workbook/workbook.h"

namespace workbook {

class GridModel;
class GridView;

class Spreadsheet : public ui::Control {
public:
    // Holds the component's design workbook until a load replaces it.
    Spreadsheet();
    explicit Spreadsheet(Workbook design);
    ~Spreadsheet() override;

    const QString& xmlUrl() const { return xmlUrl_; }
    // Loads the file's workbook in place of the one held; throws ui::Error and keeps the old
    // workbook when the file does not load.
    void setXMLURL(const QString& path);
    // Exports the whole workbook; a relative name resolves against the program folder.
    void exportWorkbook(const QString& fileName) const;

    Workbook& workbook() { return workbook_; }
    Worksheet* sheet(QStringView name) { return workbook_.sheet(name); }
    Worksheet& activeSheet() { return workbook_.activeSheet(); }

    // The grid, built the first time the control is shown or asked for, so the never-shown layout
    // workbook costs no view at all.
    GridView& grid();
    bool hasGrid() const { return !grid_.isNull(); }
    // Stores the text of a cell being typed, if any.
    void commitEdit();

private:
    Workbook workbook_;
    QString xmlUrl_;
    QPointer<GridView> grid_;
    GridModel* model_ = nullptr;  // owned by the grid
};

}  // namespace workbook
