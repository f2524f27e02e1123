#include "platform/printer.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/form.h"
#include "platform/frame.h"
#include "platform/program_folder.h"

namespace ui {

namespace {
struct PaperEntry {
    int code;
    QPageSize::PageSizeId size;
};
constexpr PaperEntry kPapers[] = {
    {1, QPageSize::Letter}, {5, QPageSize::Legal}, {8, QPageSize::A3},
    {9, QPageSize::A4},     {11, QPageSize::A5},
};

QPageSize pageSizeFor(int code) {
    for (const auto& p : kPapers)
        if (p.code == code) return QPageSize(p.size);
    return QPageSize(QPageSize::A4);
}

std::function<QString()>& systemPrintingDiversion() {
    static std::function<QString()> diversion;
    return diversion;
}

void printToPdf(QPrinter& pr, const QString& file) {
    pr.setOutputFormat(QPrinter::PdfFormat);
    pr.setOutputFileName(file);
}
}  // namespace

void Printer::divertSystemPrinting(std::function<QString()> pdfFile) {
    systemPrintingDiversion() = std::move(pdfFile);
}

QString Printer::systemPrintingDivertedTo() {
    const auto& divert = systemPrintingDiversion();
    return divert ? divert() : QString();
}

Printer::Printer() = default;
Printer::~Printer() = default;

Printer& printer() {
    static Printer p;
    return p;
}

std::unique_ptr<QPrinter> Printer::makePrinter(const QString& title) const {
    auto pr = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pr->setDocName(title);
    if (!pdfPath_.isEmpty()) {
        printToPdf(*pr, pdfPath_);
    } else {
        const QString name = printerName_.isEmpty() ? QPrinterInfo::defaultPrinterName() : printerName_;
        if (name.isEmpty()) throw Error(QStringLiteral("в системе нет принтера по умолчанию"));
        pr->setPrinterName(name);
        // A printer chosen earlier in the run may have gone since.
        if (QPrinterInfo::printerInfo(name).isNull() || !pr->isValid())
            throw Error(QStringLiteral("принтер «%1» недоступен").arg(name));
        if (const QString file = systemPrintingDivertedTo(); !file.isEmpty()) printToPdf(*pr, file);
    }
    pr->setPageSize(pageSizeFor(paperSize_));
    pr->setPageOrientation(QPageLayout::Portrait);
    pr->setFullPage(true);
    pr->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    return pr;
}

void Printer::printForm(const Form& form, const QString& title) {
    std::unique_ptr<QPrinter> pr = makePrinter(title);
    QPainter p;
    if (!p.begin(pr.get()))
        throw Error(pr->outputFormat() == QPrinter::PdfFormat
                        ? QStringLiteral("не удалось создать файл «%1»").arg(shownPath(pr->outputFileName()))
                        : QStringLiteral("принтер «%1» не принял задание").arg(pr->printerName()));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Full-page mode puts the device origin at the paper's corner.
    const qreal dotsPerTwip = pr->resolution() / qreal(kTwipsPerInch);
    p.scale(dotsPerTwip, dotsPerTwip);
    p.setClipRect(areaOf(form.clientWidth(), form.clientHeight()));
    printChildren(p, form);
    if (!p.end()) throw Error(QStringLiteral("задание печати не удалось завершить"));
}

}  // namespace ui
