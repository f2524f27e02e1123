// The student base window's design, load, size, close and its three file buttons.
#include "student_base/baza_vazed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <charconv>
#include <cmath>

#include "common/file_messages.h"
#include "common/number_text.h"
#include "common/settings_file.h"
#include "common/text_file.h"
#include "common/whole_file.h"
#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "platform/services.h"
#include "workbook/cell_value.h"

namespace velmox {

namespace {
const QString kSaveFailed = QStringLiteral("Не возможно сохранить. Закройте Excell и повторите попытку");
const QString kExportFailed =
    QStringLiteral("Не возможно экспортировать. Закройте Excell и повторите попытку");
const QString kXmlFilter = QStringLiteral("XML|*.xml;");
// The window's kept outer size, in twips.
const QString kWidthFile = QStringLiteral("data\\pw.txt");
const QString kHeightFile = QStringLiteral("data\\ph.txt");
// What every message of a size file ends with, whatever kept the size from the window.
const QString kDesignWidthTaken = QStringLiteral("Взята обычная ширина окна.");
const QString kDesignHeightTaken = QStringLiteral("Взята обычная высота окна.");

// The smallest size a kept size is taken at: the three buttons and the frame around them.
constexpr ui::Twips kMinimumWidth = ui::Twips(1845) + ui::Form::kFrame;
constexpr ui::Twips kMinimumHeight = ui::Twips(720) + ui::Form::kTitleAndBottom;
// The room round the spreadsheet: the window's borders and the buttons above it.
constexpr ui::Twips kAroundSheetWidth{250}, kAroundSheetHeight{1300};

workbook::Workbook designWorkbook() {
    return workbook::Workbook(
        {QStringLiteral("Sheet1")},
        workbook::DesignStyle{.fillColor = QStringLiteral("#E0FFFF"), .thinBorders = true});
}

// The decimal text of a single-precision size, as short as it reads back: "16725", "16725.5".
QString sizeText(ui::Twips size) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, size.twips());
    return QString::fromLatin1(buffer, ec == std::errc() ? end - buffer : 0);
}

// A kept size as the window takes it: one larger than the screen's work area and the window frame (a
// window closed maximised keeps its outer size) shrinks to that, one below the window's smallest
// grows to it; what is no positive number gives nothing.
std::optional<ui::Twips> keptSize(const QString& text, ui::Twips minimum, ui::Twips maximum) {
    const std::optional<double> n = numbertext::parse(text);
    if (!n || !std::isfinite(*n) || *n <= 0) return std::nullopt;
    return min(max(ui::Twips(float(*n)), minimum), max(minimum, maximum));
}

// A size file that is there and was read, but whose first line gives no size, is named as an
// unreadable one is: the window takes its design size, and the operator learns why. A missing file
// is a first start.
void reportNoSize(const QString& name, const QString& text, const QString& consequence) {
    const QString path = ui::programPath(name);
    if (!QFileInfo(path).isFile()) return;
    QString wrong;
    if (text.isEmpty() && QFileInfo(path).size() == 0)
        wrong = QStringLiteral("файл пуст");
    else if (const std::optional<double> n = numbertext::parse(text); n && std::isfinite(*n))
        wrong = QStringLiteral("в строке 1 не размер окна: «%1»").arg(text.trimmed());
    else
        wrong = filemsg::notANumber(1, text);
    filemsg::reportUnreadable(path, wrong, consequence);
}

// The name the next backup takes, as the load's message tells it: a prediction, for the save takes
// the first name free at its own moment, and says so where that is another.
QString nextBackupName(const QString& path) {
    // A link that leads nowhere holds its name too.
    const auto taken = [&](int n) {
        const QFileInfo name(backupName(path, n));
        return name.exists() || name.isSymLink();
    };
    int n = 0;
    while (taken(n)) ++n;
    return backupName(path, n);
}

// Copied, not moved: the unreadable original stays in place until the new base is safely renamed
// over it, and the copy is written whole or not at all, so a full disk cannot leave a cut-off backup
// beside a base that was then replaced. Every backup is kept: the copy takes the first free name. It
// holds the students' names as the base does, and may be read by those who may read the base. The
// name it went to.
QString keepBackup(const QString& path) {
    QString unreadable;
    const QByteArray bytes = readFileToKeep(path, &unreadable);
    if (!unreadable.isEmpty()) throw ui::Error(path, unreadable);
    QString backup;
    const QString failure =
        writeNewWholeFile([&](int n) { return backupName(path, n); }, bytes, backup, path);
    if (!failure.isEmpty()) throw ui::Error(backup, failure);
    return backup;
}

void writeSizeFile(const QString& name, const QString& text) {
    try {
        textfile::writeLines(ui::programPath(name), {text});
    } catch (const ui::Error& e) {
        filemsg::reportUnwritable(e.file(), e.reason(), QStringLiteral("Размер окна не сохранён."));
    }
}
}  // namespace

BazaVazed::BazaVazed() : ui::Form(QStringLiteral("BazaVazed")), Spreadsheet1(designWorkbook()) {
    setCaption(QStringLiteral("База студентов"));
    setBackColor(0x00FBE3C8);
    setBorderStyle(ui::BorderStyle::Sizable);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(16605), ui::Twips(7710));

    struct Button {
        ui::PictureBox BazaVazed::*button;
        const char* name;
        float left;
        const char16_t* tip;
    };
    // clang-format off
    const Button buttons[] = {
        {&BazaVazed::Image1, "Image1", 120,  u"Сохранить"},
        {&BazaVazed::Image4, "Image4", 720,  u"Импортировать"},
        {&BazaVazed::Image7, "Image7", 1320, u"Экспортировать"},
    };
    // clang-format on
    for (const Button& b : buttons) {
        ui::PictureBox& p = this->*b.button;
        p.create(*this, QString::fromLatin1(b.name), {b.left, 120, 525, 525});
        p.setToolTipText(QString::fromUtf16(b.tip));
    }
    Spreadsheet1.create(*this, QStringLiteral("Spreadsheet1"), {0, 720, 16605, 6975});

    // The picture holders, below the client area.
    Frame1.create(*this, QStringLiteral("Frame1"), {10440, 8160, 1575, 2055});
    struct Holder {
        ui::PictureBox BazaVazed::*picture;
        const char* name;
        float left, top;
    };
    // clang-format off
    const Holder holders[] = {
        {&BazaVazed::Image2, "Image2", 0,    0},
        {&BazaVazed::Image3, "Image3", 525,  0},
        {&BazaVazed::Image5, "Image5", 1050, 0},
        {&BazaVazed::Image6, "Image6", 0,    600},
        {&BazaVazed::Image8, "Image8", 525,  600},
        {&BazaVazed::Image9, "Image9", 1050, 600},
    };
    // clang-format on
    for (const Holder& h : holders)
        (this->*h.picture).create(Frame1, QString::fromLatin1(h.name), {h.left, h.top, 525, 525});

    struct Box {
        ui::TextBox BazaVazed::*box;
        const char* name;
        ui::TwipsRect place;
    };
    // clang-format off
    const Box boxes[] = {
        {&BazaVazed::Text3, "Text3", {120, 8160, 6000, 285}},
        {&BazaVazed::Text4, "Text4", {6240, 8160, 975, 285}},
        {&BazaVazed::Text5, "Text5", {7320, 8160, 1695, 285}},
        {&BazaVazed::Text6, "Text6", {6240, 8520, 975, 285}},
        {&BazaVazed::Text7, "Text7", {7320, 8520, 975, 285}},
    };
    // clang-format on
    for (const Box& b : boxes) {
        ui::TextBox& t = this->*b.box;
        t.create(*this, QString::fromLatin1(b.name), b.place);
        t.setDesignText(QString::fromLatin1(b.name));
        if (b.box != &BazaVazed::Text3) t.setVisible(false);
    }

    Image1.onClick = [this] { Image1_Click(); };
    Image4.onClick = [this] { Image4_Click(); };
    Image7.onClick = [this] { Image7_Click(); };
    Image1.onMouseDown = [this](const ui::MouseArgs&) { Image1_MouseDown(); };
    Image4.onMouseDown = [this](const ui::MouseArgs&) { Image4_MouseDown(); };
    Image7.onMouseDown = [this](const ui::MouseArgs&) { Image7_MouseDown(); };
    Image1.onMouseMove = [this](const ui::MouseArgs&) { Image1_MouseMove(); };
    Image4.onMouseMove = [this](const ui::MouseArgs&) { Image4_MouseMove(); };
    Image7.onMouseMove = [this](const ui::MouseArgs&) { Image7_MouseMove(); };
    onFormMouseMove = [this](const ui::MouseArgs&) { Form_MouseMove(); };
    Text4.onChange = [this] { Text4_Change(); };
    Text5.onChange = [this] { Text5_Change(); };
}

// Runs whole wherever the window is first used: from its toolbar button, inside the picker's
// "Загрузить данные" and inside the settings broadcast. So nothing here may fail: a missing or
// unreadable file gives the design state, and only a file that is there but unreadable is reported.
void BazaVazed::Form_Load() {
    Frame1.setVisible(false);
    Text3.setVisible(false);
    Text3.setText(ui::programPath(QStringLiteral("2.xml")));
    loadStudentBase();
    settings::readLineInto(*this, &BazaVazed::Text4, QStringLiteral("data\\lang.txt"));
    settings::readLineInto(*this, &BazaVazed::Text5, QStringLiteral("data\\Skin.txt"));
    bool widthUnread = false, heightUnread = false;
    Text6.setText(settings::readLine(kWidthFile, &widthUnread, kDesignWidthTaken));
    Text7.setText(settings::readLine(kHeightFile, &heightUnread, kDesignHeightTaken));
    applyKeptSize(!widthUnread, !heightUnread);
    // The size writes resize only on a change; the spreadsheet must fit the window in any case.
    Form_Resize();
}

void BazaVazed::loadStudentBase() {
    const QString path = Text3.text();
    baseBusy_ = false;
    // A missing base is a first start: the empty design workbook, ready for the first students.
    if (!QFile::exists(path)) return;
    try {
        Spreadsheet1.setXMLURL(path);
    } catch (const ui::Error& e) {
        if (e.busy()) {
            // Another program holds the base for the moment: nothing of this read is kept, the window
            // is not shown with an empty table that a save would write over the base, and the next use
            // of the base reads it again.
            baseBusy_ = true;
            filemsg::reportUnreadable(path, e.reason(),
                                      QStringLiteral("База не открыта; она будет прочитана снова, когда "
                                                     "понадобится."));
            return;
        }
        keepUnreadableOriginal_ = true;
        toldBackup_ = nextBackupName(path);
        filemsg::reportUnreadable(path, e.reason(),
                                  QStringLiteral("Открыта пустая база; файл не изменён и при сохранении "
                                                 "останется рядом под именем %1.")
                                      .arg(QFileInfo(toldBackup_).fileName()));
    }
}

void BazaVazed::applyKeptSize(bool widthRead, bool heightRead) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->availableGeometry().size() : QSize(1 << 20, 1 << 20);
    const ui::Twips maxW = ui::Twips::fromPixels(area.width()) + ui::Form::kFrame;
    const ui::Twips maxH = ui::Twips::fromPixels(area.height()) + ui::Form::kTitleAndBottom;
    const std::optional<ui::Twips> width = keptSize(Text6.text(), kMinimumWidth, maxW);
    const std::optional<ui::Twips> height = keptSize(Text7.text(), kMinimumHeight, maxH);
    // A file that could not be read has been named already.
    if (!width && widthRead) reportNoSize(kWidthFile, Text6.text(), kDesignWidthTaken);
    if (!height && heightRead) reportNoSize(kHeightFile, Text7.text(), kDesignHeightTaken);
    setWidth(width.value_or(ui::Twips(kDesignWidth)));
    setHeight(height.value_or(ui::Twips(kDesignHeight)));
}

void BazaVazed::Form_Resize() {
    // A size the spreadsheet cannot take (a window narrower than 250 or lower than 1300 twips) is
    // passed over and the spreadsheet keeps its last size; a refused width skips the height too.
    const ui::Twips w = width() - kAroundSheetWidth;
    if (w < ui::Twips()) return;
    Spreadsheet1.setWidth(w);
    const ui::Twips h = height() - kAroundSheetHeight;
    if (h < ui::Twips()) return;
    Spreadsheet1.setHeight(h);
}

void BazaVazed::Form_Unload() {
    Text6.setText(sizeText(width()));
    Text7.setText(sizeText(height()));
    writeSizeFile(kWidthFile, Text6.text());
    writeSizeFile(kHeightFile, Text7.text());
    if (ui::formLoaded<Vazed>()) ui::form<Vazed>().show();
}

workbook::CellValue BazaVazed::ReadStudentCell(const QString& row, int column) {
    bool ok = false;
    const int r = row.toInt(&ok);
    if (!ok) throw std::invalid_argument("no student row \"" + row.toStdString() + "\"");
    // A base another program held at its last read is read again here: the table holds nothing of it.
    // While it is still held, no student is there (the operator has been told).
    BazaVazed* b = withTableRead();
    if (!b) return {};
    // What the operator is typing counts as entered.
    b->Spreadsheet1.commitEdit();
    return b->Spreadsheet1.activeSheet().cell(r, column);
}

BazaVazed* BazaVazed::withTableRead() {
    const bool loadedBefore = ui::formLoaded<BazaVazed>();
    BazaVazed& b = ui::form<BazaVazed>();
    if (loadedBefore && b.baseBusy_) b.loadStudentBase();
    return b.baseBusy_ ? nullptr : &b;
}

void BazaVazed::Image1_Click() {
    // Never shown so, but a table that holds nothing of a busy base is never written over it.
    if (baseBusy_) return;
    Spreadsheet1.commitEdit();
    const QString path = Text3.text();
    try {
        // Held from the read of the base its backup keeps to the end of the save that replaces it, so
        // the backup is the very file replaced.
        const FileHold hold({path});
        // Once kept, the original is not copied again, also when the save itself then fails.
        if (keepUnreadableOriginal_ && QFile::exists(path)) {
            const QString backup = keepBackup(path);
            // The name told at the load was taken since.
            if (backup != toldBackup_)
                ui::showError(QStringLiteral("Прежний файл «%1» оставлен рядом под именем %2, а не %3: то "
                                             "имя уже занято.")
                                  .arg(ui::shownPath(path), QFileInfo(backup).fileName(),
                                       QFileInfo(toldBackup_).fileName()));
        }
        keepUnreadableOriginal_ = false;
        Spreadsheet1.exportWorkbook(path);
    } catch (const ui::Error& e) {
        ui::showError(kSaveFailed, QString::fromUtf8(e.what()));
    }
}

void BazaVazed::Image4_Click() {
    CommonDialog1.filter = kXmlFilter;
    // A cancel keeps the dialog's last file name; that file must not be imported again.
    if (!CommonDialog1.showOpen() || CommonDialog1.fileName.isEmpty()) return;
    try {
        // The workbook loads beside the current one and replaces it only when all of it was read.
        Spreadsheet1.setXMLURL(CommonDialog1.fileName);
    } catch (const ui::Error&) {
        // A file that is no student base is not taken, without a word; the base shown stays.
    }
}

void BazaVazed::Image7_Click() {
    Spreadsheet1.commitEdit();
    const ui::DialogAnswer answer = ui::services().saveFileDialog(kXmlFilter, exportName_);
    if (!answer.accepted || answer.fileName.isEmpty()) return;
    exportName_ = answer.fileName;
    try {
        Spreadsheet1.exportWorkbook(answer.fileName);
    } catch (const ui::Error& e) {
        ui::showError(kExportFailed, QString::fromUtf8(e.what()));
    }
}

}  // namespace velmox
