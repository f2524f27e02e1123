#include "support/scripted_services.h"

#include "platform/printer.h"

namespace ui {

void ScriptedServices::messageBox(const QString& text, const QString& title, const QString& details) {
    messages.push_back({text, title, details});
}

DialogAnswer ScriptedServices::answer(const QString& kind, const QString& filter, const QString& fileName) {
    dialogs.push_back({kind, filter, fileName});
    if (dialogFails) dialogFails();
    if (dialogAnswers.empty()) return {false, fileName};
    DialogAnswer a = dialogAnswers.front();
    dialogAnswers.pop_front();
    return a;
}

DialogAnswer ScriptedServices::openFileDialog(const QString& filter, const QString& fileName) {
    return answer(QStringLiteral("open"), filter, fileName);
}

DialogAnswer ScriptedServices::saveFileDialog(const QString& filter, const QString& fileName) {
    return answer(QStringLiteral("save"), filter, fileName);
}

bool ScriptedServices::printerSetupDialog(Printer& printer) {
    dialogs.push_back({QStringLiteral("printer"), {}, {}});
    if (dialogFails) dialogFails();
    if (printerSetupAnswers.empty()) return false;
    const PrinterSetupAnswer a = printerSetupAnswers.front();
    printerSetupAnswers.pop_front();
    if (!a.accepted) return false;
    if (!a.pdfFile.isEmpty())
        printer.setOutputPdf(a.pdfFile);
    else if (!a.printerName.isEmpty())
        printer.choosePrinter(a.printerName);
    return true;
}

bool ScriptedServices::startProgram(const QString& path, WindowStyle style) {
    starts.push_back({path, style});
    return startSucceeds;
}

}  // namespace ui
