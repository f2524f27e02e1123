#pragma once
// The common dialog control: a filter and a file name that stay between calls, as callers rely
// on; each call says whether the operator cancelled.
#include <QString>

namespace ui {

class Printer;

class CommonDialog {
public:
    QString filter;
    QString fileName;
    // True when a file was chosen; then fileName holds its full path.
    bool showOpen();
    bool showSave();
    bool showPrinter(Printer& printer);
    bool cancelled() const { return cancelled_; }

private:
    bool cancelled_ = false;
};

}  // namespace ui
