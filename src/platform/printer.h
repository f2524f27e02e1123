#pragma once
// The system's Printer object: it keeps the paper property (9 is A4) and prints a window by
// painting its visible controls onto one page at their twips positions from the paper's top-left
// corner, 1440 twips to the inch, as vector text. Hidden controls do not print.
#include <QString>
#include <functional>
#include <memory>

#include "platform/error.h"

class QPrinter;

namespace ui {

class Form;

class Printer {
public:
    Printer();
    ~Printer();

    static constexpr int kPaperA4 = 9;
    int paperSize() const { return paperSize_; }
    void setPaperSize(int size) { paperSize_ = size; }

    // Directs the prints to a PDF file instead of the system's default printer.
    void setOutputPdf(const QString& path) { pdfPath_ = path; }
    const QString& outputPdf() const { return pdfPath_; }
    // The printer the operator chose in the set-up dialog, if any; else the system's default.
    const QString& printerName() const { return printerName_; }
    // The prints of this run go to this printer, no longer to a PDF file.
    void choosePrinter(const QString& name) {
        printerName_ = name;
        pdfPath_.clear();
    }

    // Prints as one job of that title: the name the print queue shows it by, and the printed PDF
    // file's title. Throws ui::Error when no printer can be opened or the page cannot be painted; its
    // reason, in a few Russian words, follows "Диплом не напечатан: ".
    void printForm(const Form& form, const QString& title);

    // From now on a job that would reach a system printer goes to the PDF file `pdfFile` names at
    // that moment instead, unless it names none; for every Printer of the process. The programs set
    // nothing; the test runs set it, so that no test ever feeds a sheet into a real printer.
    static void divertSystemPrinting(std::function<QString()> pdfFile);
    // The PDF file a job bound for a system printer would go to now; empty: the printer.
    static QString systemPrintingDivertedTo();

private:
    std::unique_ptr<QPrinter> makePrinter(const QString& title) const;
    int paperSize_ = kPaperA4;
    QString pdfPath_;
    QString printerName_;
};

Printer& printer();

}  // namespace ui
