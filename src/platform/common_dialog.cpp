#include "platform/common_dialog.h"

#include "platform/services.h"

namespace ui {

bool CommonDialog::showOpen() {
    const DialogAnswer a = services().openFileDialog(filter, fileName);
    cancelled_ = !a.accepted;
    if (a.accepted) fileName = a.fileName;
    return a.accepted;
}

bool CommonDialog::showSave() {
    const DialogAnswer a = services().saveFileDialog(filter, fileName);
    cancelled_ = !a.accepted;
    if (a.accepted) fileName = a.fileName;
    return a.accepted;
}

bool CommonDialog::showPrinter(Printer& printer) {
    cancelled_ = !services().printerSetupDialog(printer);
    return !cancelled_;
}

}  // namespace ui
