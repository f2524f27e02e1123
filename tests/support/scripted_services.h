#pragma once
// The services the tests put in place of the Qt ones: answers from queues, and a record of every
// message box, dialog, started program, beep and program end.
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "platform/services.h"

namespace ui {

// What the operator chose in the scripted printer set-up dialog: a printer by name, or printing to
// a PDF file; a cancel keeps the printer as it was.
struct PrinterSetupAnswer {
    PrinterSetupAnswer(bool ok = false, QString printer = {}, QString pdf = {})
        : accepted(ok), printerName(std::move(printer)), pdfFile(std::move(pdf)) {}
    bool accepted;
    QString printerName;
    QString pdfFile;
};

class ScriptedServices : public Services {
public:
    struct Message {
        QString text, title, details;
        // The summary and the details together, for what may stand in either.
        QString all() const { return text + u'\n' + details; }
    };
    struct Start {
        QString path;
        WindowStyle style;
    };
    struct Dialog {
        QString kind, filter, fileName;
    };

    std::vector<Message> messages;
    std::vector<Start> starts;
    std::vector<Dialog> dialogs;
    int beeps = 0;
    std::vector<int> endedWith;                          // exit codes of endProgram calls
    std::deque<DialogAnswer> dialogAnswers;              // an empty queue answers "cancelled"
    std::deque<PrinterSetupAnswer> printerSetupAnswers;  // an empty queue answers "cancelled"
    bool startSucceeds = true;
    // When set, every file or printer dialog runs it as it opens, after it is recorded: a dialog
    // that fails throws from there.
    std::function<void()> dialogFails;
    QStringList fonts = {QStringLiteral("Arial"), QStringLiteral("Tahoma"),
                         QStringLiteral("Times New Roman")};

    using Services::messageBox;
    void messageBox(const QString& text, const QString& title, const QString& details) override;
    DialogAnswer openFileDialog(const QString& filter, const QString& fileName) override;
    DialogAnswer saveFileDialog(const QString& filter, const QString& fileName) override;
    bool printerSetupDialog(Printer& printer) override;
    bool startProgram(const QString& path, WindowStyle style) override;
    void beep() override { ++beeps; }
    QStringList screenFonts() override { return fonts; }
    void endProgram(int exitCode) override { endedWith.push_back(exitCode); }

private:
    DialogAnswer answer(const QString& kind, const QString& filter, const QString& fileName);
};

}  // namespace ui
