#include "platform/services.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/dispatch.h"
#include "platform/form.h"
#include "platform/printer.h"

namespace ui {

namespace {
std::unique_ptr<Services>& current() {
    static std::unique_ptr<Services> s = std::make_unique<QtServices>();
    return s;
}

// Dialogs belong to the window the operator is working in.
QWidget* activeParent() {
    return boxOwner();
}

// Carries a start style from a starter to the program it starts; programs read no command line.
constexpr char kStartStyleVariable[] = "VELMOX_START_STYLE";
constexpr char kMinimizedFocus[] = "minimized";
}  // namespace

WindowStyle takeStartStyle() {
    const QByteArray style = qgetenv(kStartStyleVariable);
    if (style.isNull()) return WindowStyle::NormalFocus;
    // Gone once read, so neither a later window nor a program started from this one inherits it.
    qunsetenv(kStartStyleVariable);
    return style == kMinimizedFocus ? WindowStyle::MinimizedFocus : WindowStyle::NormalFocus;
}

Services& services() {
    return *current();
}

std::unique_ptr<Services> setServices(std::unique_ptr<Services> s) {
    std::swap(current(), s);
    return s;
}

QStringList qtNameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';')) {
            const QString t = p.trimmed();
            if (!t.isEmpty()) patterns << t;
        }
        out << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
    }
    return out;
}

void showError(const QString& summary, const QString& details) {
    if (gatherInAction(summary, details)) return;
    services().messageBox(summary, kErrorTitle, details);
}

namespace {
constexpr int kLongestSummary = 160;  // characters: about two lines of the box
constexpr int kBoxWidth = 520;        // pixels, when the screen has room
constexpr int kMostDetailLines = 12;  // shown at once; more scroll

struct TextHeight {
    int pixels = 0;
    int lines = 0;
};

// Plain text as a plain text view lays it out in `width` pixels: each line of the text a block, each
// block's lines with their leading. Once past `mostLines` the rest is not measured.
TextHeight laidOut(const QString& text, const QFont& font, const QTextOption& option, int width,
                   int mostLines) {
    TextHeight out;
    for (const QString& block : text.split(u'\n')) {
        if (out.lines > mostLines) break;
        QTextLayout layout(block, font);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            line.setPosition(QPointF(0, height));
            height += line.height();
            ++out.lines;
        }
        layout.endLayout();
        out.pixels += int(std::ceil(height));
    }
    return out;
}

// A label breaks its lines only between words, so a word wider than the label (a path in a long
// folder name) would run off the box's edge and hide what follows it. The lines before such a word
// stay; from it on, what one line holds, ended by "…".
QString withinWidth(const QString& summary, const QFont& font, int width) {
    QTextLayout layout(summary, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int overflowAt = -1;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (line.naturalTextWidth() > width) {
            overflowAt = line.textStart();
            break;
        }
    }
    layout.endLayout();
    if (overflowAt < 0) return summary;
    // A little short of the width: the label measures its lines in its own way.
    const QFontMetrics metrics(font);
    const int room = std::max(1, width - metrics.averageCharWidth());
    return summary.left(overflowAt) + metrics.elidedText(summary.mid(overflowAt), Qt::ElideRight, room);
}
}  // namespace

std::unique_ptr<QDialog> makeMessageBox(const QString& text, const QString& title, const QString& details,
                                        QWidget* parent) {
    QString summary = text.trimmed();
    QString rest = details.trimmed();
    const qsizetype lineEnd = summary.indexOf(u'\n');
    if (lineEnd >= 0) {
        rest =
            summary.mid(lineEnd + 1).trimmed() + (rest.isEmpty() ? QString() : QStringLiteral("\n") + rest);
        summary = summary.left(lineEnd).trimmed();
    }
    const QString wholeLine = summary;
    if (summary.size() > kLongestSummary) {
        qsizetype cut = summary.lastIndexOf(u' ', kLongestSummary);
        if (cut < kLongestSummary / 2) cut = kLongestSummary;
        summary = summary.left(cut) + QStringLiteral(" …");
    }

    auto box = std::make_unique<QDialog>(parent);
    box->setWindowTitle(title);
    box->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(box.get());
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Room for the window frame and title bar, which the system adds round the box.
    const QSize room = area.size() - QSize(40, 80);
    const int width = std::min(kBoxWidth, room.width());
    const int labelWidth = width - layout->contentsMargins().left() - layout->contentsMargins().right();
    auto* label = new QLabel(box.get());
    label->setObjectName(QStringLiteral("summary"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary = withinWidth(summary, label->font(), labelWidth);
    // A summary that does not show whole is read whole in the details, first.
    if (summary != wholeLine) rest = wholeLine + (rest.isEmpty() ? QString() : QStringLiteral("\n") + rest);
    label->setText(summary);
    label->setFixedWidth(labelWidth);
    layout->addWidget(label);
    if (!rest.isEmpty()) {
        auto* more = new QPlainTextEdit(rest, box.get());
        more->setObjectName(QStringLiteral("details"));
        more->setReadOnly(true);
        more->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        // As high as the details need once wrapped at the box's width, up to twelve lines; more
        // scroll. A long path wraps onto lines of its own, so logical lines are no measure. The
        // lines are laid out as the view lays them out, at the width it has without a scroll bar
        // (less the cursor's, to be sure); details that fit get no scroll bar at all, since one that
        // came up while the box was still narrow would narrow the text and hide its last line.
        const int margin = int(std::ceil(more->document()->documentMargin()));
        const int textWidth = width - layout->contentsMargins().left() - layout->contentsMargins().right() -
                              2 * more->frameWidth() - 2 * margin - more->cursorWidth();
        const TextHeight text = laidOut(rest, more->font(), more->document()->defaultTextOption(),
                                        std::max(textWidth, 1), kMostDetailLines);
        const int frame = 2 * more->frameWidth() + 2 * margin + 2;
        const int lineSpacing = more->fontMetrics().lineSpacing();
        const int fitting = text.pixels + frame;
        if (text.lines <= kMostDetailLines && fitting <= room.height() / 2) {
            more->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            more->setFixedHeight(fitting);
        } else {
            more->setFixedHeight(std::min(kMostDetailLines * lineSpacing + frame, room.height() / 2));
        }
        layout->addWidget(more);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    layout->addWidget(buttons);
    box->setMaximumSize(room);
    box->adjustSize();
    box->resize(std::min(box->width(), room.width()), std::min(box->height(), room.height()));
    return box;
}

void runMessageBox(const QString& text, const QString& title, const QString& details) {
    const QPointer<QWidget> owner = boxOwner();
    const std::unique_ptr<QDialog> box = makeMessageBox(text, title, details, owner);
    box->exec();
    // A window manager may give the focus back to another of the program's windows when the box
    // goes, and raise it over the window the box was about.
    if (owner && owner->isVisible()) bringToFront(owner);
}

void QtServices::messageBox(const QString& text, const QString& title, const QString& details) {
    runMessageBox(text, title, details);
}

QString defaultSuffix(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(u'(');
    const qsizetype close = nameFilter.lastIndexOf(u')');
    const QString patterns =
        open >= 0 && close > open ? nameFilter.mid(open + 1, close - open - 1) : nameFilter;
    const QString first = patterns.section(u' ', 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QLatin1String("*."))) return {};
    const QString suffix = first.mid(2);
    for (const QChar c : suffix)
        if (c == u'*' || c == u'?' || c == u'[' || c == u'.') return {};
    return suffix;
}

namespace {
struct FileKind {
    const char* suffix;
    const char16_t* name;
};
constexpr FileKind kFileKinds[] = {
    {"xml", u"Файл XML"},         {"jpg", u"Рисунок JPEG"}, {"jpeg", u"Рисунок JPEG"},
    {"png", u"Рисунок PNG"},      {"bmp", u"Рисунок BMP"},  {"gif", u"Рисунок GIF"},
    {"txt", u"Текстовый файл"},   {"pdf", u"Документ PDF"}, {"bak", u"Резервная копия"},
    {"lock", u"Файл блокировки"},
};
}  // namespace

QString russianFileType(const QFileInfo& info) {
    if (info.isRoot()) return QStringLiteral("Диск");
    if (info.isDir()) return QStringLiteral("Папка");
    const QString suffix = info.suffix();
    if (suffix.isEmpty()) return QStringLiteral("Файл");
    for (const FileKind& k : kFileKinds)
        if (suffix.compare(QLatin1String(k.suffix), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(k.name);
    return QStringLiteral("Файл %1").arg(suffix.toUpper());
}

QString russianFileSize(qint64 bytes) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (bytes >= 1024) return russian.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
    // "2 байта", "23 байта", but "1 байт", "12 байт", "25 байт".
    const qint64 ones = bytes % 10, tens = bytes % 100;
    const bool few = ones >= 2 && ones <= 4 && !(tens >= 12 && tens <= 14);
    return QStringLiteral("%1 %2").arg(bytes).arg(few ? QStringLiteral("байта") : QStringLiteral("байт"));
}

namespace {
// Qt's own file types are English where its Russian texts have none ("Folder"), or in whatever
// language the system's type database has.
class RussianFileTypes : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override { return russianFileType(info); }
};

// Qt's file list gives sizes and dates in the system's locale, which need not be Russian; this
// gives them as the rest of the dialog speaks. Sorting still goes by the numbers and times.
class RussianFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        enum { kSize = 1, kModified = 3 };  // QFileSystemModel's columns
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != kSize && index.column() != kModified))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kSize)
            return files->isDir(source) ? QString() : russianFileSize(files->size(source));
        return QLocale(QLocale::Russian, QLocale::Russia)
            .toString(files->lastModified(source), QLocale::ShortFormat);
    }
};

// The texts a column can show, each digit written as the font's widest one, so that every number
// of the same form fits: the width of the widest, with the delegate's margin on either side.
int widthOfTexts(const QStringList& texts, const QWidget& list) {
    const QFontMetricsF metrics(list.font());
    QChar widestDigit = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widestDigit))
            widestDigit = QChar(d);
    qreal widest = 0;
    for (QString text : texts) {
        for (QChar& c : text)
            if (c.isDigit()) c = widestDigit;
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return int(std::ceil(widest)) + 2 * margin;
}

// Every size, type and date the list can show in its columns 1 to 3, at their widest.
QStringList sizeTexts() {
    // Under 1 kB the bytes, "1023 байта"; above, the units up to the largest file size, each with
    // four figures before the comma where it can have them.
    QStringList texts{russianFileSize(1023)};
    for (int power = 1; power <= 6; ++power)
        texts << russianFileSize(power < 6 ? (qint64(1024) << (10 * power)) - 1
                                           : std::numeric_limits<qint64>::max());
    return texts;
}

QStringList typeTexts(const QWidget& list) {
    QStringList texts{QStringLiteral("Диск"), QStringLiteral("Папка"), QStringLiteral("Файл")};
    for (const FileKind& k : kFileKinds) texts << QString::fromUtf16(k.name);
    // Any other extension: those of up to four letters are shown whole.
    const QFontMetricsF metrics(list.font());
    QChar widest = u'A';
    for (char16_t c = u'B'; c <= u'Z'; ++c)
        if (metrics.horizontalAdvance(QChar(c)) > metrics.horizontalAdvance(widest)) widest = QChar(c);
    texts << russianFileType(QFileInfo(QStringLiteral("a.") + QString(4, widest)));
    return texts;
}

QStringList dateTexts() {
    return {QLocale(QLocale::Russian, QLocale::Russia)
                .toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat)};
}

// Qt sizes the file list's columns for English texts ("mp3Folder", "10/29/81 02:02PM") and keeps
// those sizes however wide the dialog is, which cuts the Russian type and date in the middle. The
// size, type and date columns take the width of their widest Russian texts and headers, measured
// once: sizing them to the files listed would go through every file at every resize. The names take
// the rest; the places on the left are as wide as their names.
void fitToRussianTexts(QFileDialog& dialog) {
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        // The fonts and style the list is drawn with.
        list->ensurePolished();
        QHeaderView* header = list->header();
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        const QStringList columns[] = {sizeTexts(), typeTexts(*list), dateTexts()};
        for (int column = 1; column < header->count() && column <= int(std::size(columns)); ++column) {
            header->setSectionResizeMode(column, QHeaderView::Fixed);
            header->resizeSection(
                column, std::max(header->sectionSizeHint(column), widthOfTexts(columns[column - 1], *list)));
        }
    }
    // The splitter keeps the places at no less than this, whatever width it restores.
    if (auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar")))
        places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                                places->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}
}  // namespace

std::unique_ptr<QFileDialog> makeFileDialog(bool save, const QString& filter, const QString& fileName,
                                            QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Never deleted: a dialog's file model and its background thread may use it to their very end.
    static QFileIconProvider* const types = new RussianFileTypes;
    dialog->setIconProvider(types);
    dialog->setProxyModel(new RussianFileColumns(dialog.get()));
    fitToRussianTexts(*dialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList nameFilters = qtNameFilters(filter);
    dialog->setNameFilters(nameFilters);
    if (save) {
        // A name typed without an extension takes the chosen filter's, so that the file shows under
        // that filter when it is opened again; a name with one keeps it. The dialog's own overwrite
        // question then asks about the name that is written.
        if (!nameFilters.isEmpty()) dialog->setDefaultSuffix(defaultSuffix(nameFilters.first()));
        QFileDialog* d = dialog.get();
        QObject::connect(d, &QFileDialog::filterSelected, d,
                         [d](const QString& chosen) { d->setDefaultSuffix(defaultSuffix(chosen)); });
    }
    if (!fileName.isEmpty()) dialog->selectFile(fileName);
    return dialog;
}

std::unique_ptr<QPrintDialog> makePrinterSetupDialog(QPrinter& target, QWidget* parent) {
    const bool toPdf = target.outputFormat() == QPrinter::PdfFormat;
    const QString pdfFile = target.outputFileName();
    auto dialog = std::make_unique<QPrintDialog>(&target, parent);
    // Qt's dialog, as it is built, sets its target on the system's first or default printer; a
    // target that prints to a PDF file is put back, so that the dialog opens on the PDF choice with
    // its file name rather than on a printer with the file field greyed out.
    if (toPdf) {
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(pdfFile);
        if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))) file->setText(pdfFile);
    }
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
        if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok))
            accept->setText(QStringLiteral("Выбрать"));
    return dialog;
}

namespace {
DialogAnswer runFileDialog(bool save, const QString& filter, const QString& fileName) {
    const std::unique_ptr<QFileDialog> dialog = makeFileDialog(save, filter, fileName, activeParent());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {false, fileName};
    return {true, dialog->selectedFiles().first()};
}
}  // namespace

DialogAnswer QtServices::openFileDialog(const QString& filter, const QString& fileName) {
    return runFileDialog(false, filter, fileName);
}

DialogAnswer QtServices::saveFileDialog(const QString& filter, const QString& fileName) {
    return runFileDialog(true, filter, fileName);
}

bool QtServices::printerSetupDialog(Printer& printer) {
    // The dialog starts on what takes the prints now: the PDF file, the chosen printer or the
    // system's default.
    QPrinter target(QPrinter::HighResolution);
    if (!printer.outputPdf().isEmpty()) {
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(printer.outputPdf());
    } else if (!printer.printerName().isEmpty()) {
        target.setPrinterName(printer.printerName());
    }
    const std::unique_ptr<QPrintDialog> dialog = makePrinterSetupDialog(target, activeParent());
    if (dialog->exec() != QDialog::Accepted) return false;
    if (target.outputFormat() == QPrinter::PdfFormat && !target.outputFileName().isEmpty())
        printer.setOutputPdf(target.outputFileName());
    else
        printer.choosePrinter(target.printerName());
    return true;
}

bool QtServices::startProgram(const QString& path, WindowStyle style) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QString::fromLatin1(kStartStyleVariable));
    if (style == WindowStyle::MinimizedFocus)
        environment.insert(QString::fromLatin1(kStartStyleVariable), QString::fromLatin1(kMinimizedFocus));
    QProcess process;
    process.setProgram(path);
    process.setProcessEnvironment(environment);
    // Detached: never waited for, and it outlives us without leaving a zombie behind.
    return process.startDetached();
}

void QtServices::beep() {
    QApplication::beep();
}

QStringList QtServices::screenFonts() {
    return QFontDatabase::families();
}

void QtServices::endProgram(int exitCode) {
    // Every file is written whole before this point, so nothing is left to flush but the streams.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace ui
