#include "workbook/spreadsheet.h"

#include <QVBoxLayout>

#include "platform/paths.h"
#include "workbook/grid_model.h"

namespace workbook {

namespace {
// Builds the grid when it first shows.
class SpreadsheetWidget : public QWidget {
public:
    explicit SpreadsheetWidget(Spreadsheet* owner) : owner_(owner) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void showEvent(QShowEvent*) override { owner_->grid(); }

private:
    Spreadsheet* owner_;
};
}  // namespace

Spreadsheet::Spreadsheet() : Spreadsheet(Workbook()) {}

Spreadsheet::Spreadsheet(Workbook design)
    : ui::Control(new SpreadsheetWidget(this)), workbook_(std::move(design)) {}

Spreadsheet::~Spreadsheet() {
    // The view goes before the workbook it shows.
    delete grid_.data();
}

void Spreadsheet::setXMLURL(const QString& path) {
    if (model_) model_->beginReplace();
    try {
        workbook_.load(ui::programPath(path));
    } catch (...) {
        if (model_) model_->endReplace();
        throw;
    }
    if (model_) {
        model_->endReplace();
        grid_->applySizes(workbook_.activeSheet());
    }
    xmlUrl_ = path;
}

void Spreadsheet::exportWorkbook(const QString& fileName) const {
    workbook_.exportTo(ui::programPath(fileName));
}

GridView& Spreadsheet::grid() {
    if (!grid_) {
        grid_ = new GridView(widget());
        model_ = new GridModel(workbook_, grid_.data());
        grid_->setModel(model_);
        grid_->applySizes(workbook_.activeSheet());
        widget()->layout()->addWidget(grid_.data());
    }
    return *grid_;
}

void Spreadsheet::commitEdit() {
    if (grid_) grid_->commitPendingEdit();
}

}  // namespace workbook
