// The settings window's design, load and close, the language pair, the outline check box and the
// skin list.
#include "settings/nastroiki.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "common/file_messages.h"
#include "common/settings_file.h"
#include "common/text_file.h"
#include "main_window/vazed.h"
#include "platform/paths.h"

namespace velmox {

namespace {
constexpr ui::OleColor kDesignBack = 0x00FBE3C8;
constexpr ui::OleColor kLineColour = 0x00808080;
const QString kTimes = QStringLiteral("Times New Roman");

const QString kLangFile = QStringLiteral("data\\lang.txt");
const QString kSkinFile = QStringLiteral("data\\Skin.txt");
const QString kLineFile = QStringLiteral("data\\Line.txt");

// The skin list's entries in the order of adding; the list shows them sorted.
constexpr const char16_t* kSkinEntries[] = {u"Основной скин", u"Темный скин", u"Белый интерактив скин",
                                            u"Желтый скин"};

struct BoxDesign {
    ui::TextBox Nastroiki::*box;
    const char* name;
    ui::TwipsRect place;
    const char* designText;
    bool visible;
};
// clang-format off
constexpr BoxDesign kBoxes[] = {
    {&Nastroiki::Text4, "Text4", {2280, 3960, 615, 285}, "Text4", false},
    {&Nastroiki::Text3, "Text3", {2280, 4320, 3255, 285}, "Text3", true},
    {&Nastroiki::Text2, "Text2", {2280, 4680, 1815, 285}, "", true},
};
// clang-format on

// A box's text for its file: a box still holding its design text was never set.
QString settingOf(const ui::TextBox& box, const char* designText) {
    return box.text() == QLatin1String(designText) ? QString() : box.text();
}
}  // namespace

Nastroiki::Nastroiki() : ui::Form(QStringLiteral("Nastroiki")) {
    setCaption(QStringLiteral("Настройки программы"));
    setBackColor(kDesignBack);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(6630), ui::Twips(3585));

    const ui::FontSpec frameFont{kTimes, 9.75f, true, false};
    struct FrameDesign {
        ui::Frame Nastroiki::*frame;
        const char* name;
        ui::TwipsRect place;
        const char16_t* caption;
    };
    const FrameDesign frames[] = {
        {&Nastroiki::Frame1, "Frame1", {120, 120, 2775, 1335}, u"Выбор языка"},
        {&Nastroiki::Frame4, "Frame4", {3000, 120, 3375, 1335}, u"Внешний вид"},
    };
    for (const FrameDesign& d : frames) {
        ui::Frame& f = this->*d.frame;
        f.create(*this, QString::fromLatin1(d.name), d.place);
        f.setBorderStyle(1);
        f.setBackColor(kDesignBack);
        f.setForeColor(ui::syscolor::kWindowText);
        f.setFont(frameFont);
        f.setCaption(QString::fromUtf16(d.caption));
    }

    struct CheckDesign {
        ui::CheckBox Nastroiki::*check;
        ui::Container* parent;
        const char* name;
        ui::TwipsRect place;
        bool bold;
        const char16_t* caption;
    };
    const CheckDesign checks[] = {
        {&Nastroiki::Check1, &Frame1, "Check1", {120, 360, 2535, 255}, false, u"Русский"},
        {&Nastroiki::Check2, &Frame1, "Check2", {120, 720, 2535, 255}, false, u"Казахский"},
        {&Nastroiki::Check3,
         this,
         "Check3",
         {120, 2880, 6375, 495},
         true,
         u"Обвести линиями текстовые поля что бы видеть их границы"},
    };
    for (const CheckDesign& d : checks) {
        ui::CheckBox& c = this->*d.check;
        c.create(*d.parent, QString::fromLatin1(d.name), d.place);
        c.setFont({kTimes, 9.75f, d.bold, false});
        c.setBackColor(kDesignBack);
        c.setForeColor(ui::syscolor::kWindowText);
        c.setCaption(QString::fromUtf16(d.caption));
    }

    List1.create(Frame4, QStringLiteral("List1"), {120, 360, 3135, 810});
    List1.setSorted(true);
    List1.setFont({kTimes, 8.25f, true, false});

    struct CaptionDesign {
        ui::Label Nastroiki::*label;
        const char* name;
        ui::TwipsRect place;
        const char16_t* caption;
    };
    const CaptionDesign captions[] = {
        {&Nastroiki::Label2, "Label2", {120, 1680, 2055, 615}, u"Настроить принтер по умолчанию:"},
        {&Nastroiki::Label3, "Label3", {3000, 1680, 2775, 615}, u"Установка драйвера Казахского языка"},
    };
    for (const CaptionDesign& d : captions) {
        ui::Label& l = this->*d.label;
        l.create(*this, QString::fromLatin1(d.name), d.place);
        l.setFont({kTimes, 9.75f, true, false});
        l.setBackStyle(0);
        l.setForeColor(ui::syscolor::kButtonText);
        l.setCaption(QString::fromUtf16(d.caption));
    }
    Image1.create(*this, QStringLiteral("Image1"), {2160, 1680, 525, 525});
    Image2.create(*this, QStringLiteral("Image2"), {5880, 1680, 525, 525});

    struct LineDesign {
        ui::Line Nastroiki::*line;
        const char* name;
        float x1, y1, x2, y2;
    };
    const LineDesign lines[] = {
        {&Nastroiki::Line3, "Line3", 120, 1560, 6360, 1560},
        {&Nastroiki::Line2, "Line2", 2880, 1560, 2880, 2760},
        {&Nastroiki::Line1, "Line1", 120, 2760, 6480, 2760},
        {&Nastroiki::Line4, "Line4", 120, 3480, 6480, 3480},
    };
    for (const LineDesign& d : lines) {
        ui::Line& l = this->*d.line;
        l.create(*this, QString::fromLatin1(d.name), {});
        l.setPoints(ui::Twips(d.x1), ui::Twips(d.y1), ui::Twips(d.x2), ui::Twips(d.y2));
        l.setBorderColor(kLineColour);
    }

    for (const BoxDesign& d : kBoxes) {
        ui::TextBox& t = this->*d.box;
        t.create(*this, QString::fromLatin1(d.name), d.place);
        t.setDesignText(QString::fromLatin1(d.designText));
        t.setVisible(d.visible);
    }
    struct HolderDesign {
        ui::PictureBox Nastroiki::*picture;
        const char* name;
        float left, top;
    };
    const HolderDesign holders[] = {
        {&Nastroiki::Image3, "Image3", 120, 5040},
        {&Nastroiki::Image4, "Image4", 120, 5640},
        {&Nastroiki::Image5, "Image5", 3960, 5040},
        {&Nastroiki::Image6, "Image6", 3960, 5640},
    };
    for (const HolderDesign& d : holders)
        (this->*d.picture).create(*this, QString::fromLatin1(d.name), {d.left, d.top, 3750, 525});

    bindHandlers();
}

void Nastroiki::bindHandlers() {
    Check1.onClick = [this] { Check1_Click(); };
    Check2.onClick = [this] { Check2_Click(); };
    Check3.onClick = [this] { Check3_Click(); };
    List1.onClick = [this] { List1_Click(); };
    Text2.onChange = [this] { Text2_Change(); };
    Text3.onChange = [this] { Text3_Change(); };
    Text4.onChange = [this] { Text4_Change(); };
    Image1.onClick = [this] { Image1_Click(); };
    Image2.onClick = [this] { Image2_Click(); };
    Image1.onMouseMove = [this](const ui::MouseArgs&) { Image1_MouseMove(); };
    Image2.onMouseMove = [this](const ui::MouseArgs&) { Image2_MouseMove(); };
    Image1.onMouseDown = [this](const ui::MouseArgs&) { Image1_MouseDown(); };
    Image2.onMouseDown = [this](const ui::MouseArgs&) { Image2_MouseDown(); };
    onFormMouseMove = [this](const ui::MouseArgs&) { Form_MouseMove(); };
    Frame1.onMouseMove = [this](const ui::MouseArgs&) { Frame1_MouseMove(); };
    Frame4.onMouseMove = [this](const ui::MouseArgs&) { Frame4_MouseMove(); };
    Label3.onMouseMove = [this](const ui::MouseArgs&) { Label3_MouseMove(); };
    Label2.onMouseMove = [this](const ui::MouseArgs&) { Label2_MouseMove(); };
}

// Each line goes into its box as it is read, so the language is broadcast before the skin file is
// read. A missing or empty file is an empty line: the window then opens in its design look.
void Nastroiki::Form_Load() {
    List1.clear();
    for (const char16_t* entry : kSkinEntries) List1.addItem(QString::fromUtf16(entry));
    // What each file held is what the operator set last; a file that could not be read is kept
    // for the operator, not overwritten with the empty line it read as.
    const struct {
        ui::TextBox& box;
        const QString& file;
    } reads[] = {{Text2, kLangFile}, {Text3, kSkinFile}, {Text4, kLineFile}};
    for (std::size_t i = 0; i < std::size(reads); ++i) {
        bool unreadable = false;
        reads[i].box.setText(settings::readLine(reads[i].file, &unreadable));
        unreadValue_[i] = unreadable ? std::optional<QString>(reads[i].box.text()) : std::nullopt;
    }
}

void Nastroiki::Form_Unload() {
    writeSettingsFiles();
    ui::form<Vazed>().show();
}

void Nastroiki::writeSettingsFiles() {
    const struct {
        const QString& file;
        const ui::TextBox& box;
        QString value;
    } settings[] = {
        {kLangFile, Text2, settingOf(Text2, kBoxes[2].designText)},
        {kSkinFile, Text3, settingOf(Text3, kBoxes[1].designText)},
        {kLineFile, Text4, settingOf(Text4, kBoxes[0].designText)},
    };
    std::vector<ui::Error> failures;
    // The data folder belongs to the installation; a missing one is reported, never made here.
    const QString folder = ui::programPath(QStringLiteral("data"));
    const bool folderThere = QFileInfo(folder).isDir();
    for (std::size_t i = 0; i < std::size(settings); ++i) {
        const auto& s = settings[i];
        // Unread and not set since: the operator's file stays as it is, and was named at the read.
        if (unreadValue_[i] && *unreadValue_[i] == s.box.text()) continue;
        const QString path = ui::programPath(s.file);
        if (!folderThere) {
            failures.emplace_back(path, QStringLiteral("папка «data» не найдена"));
            continue;
        }
        try {
            textfile::writeLines(path, {s.value});
        } catch (const ui::Error& e) {
            failures.emplace_back(path, e.reason());
        }
    }
    // Named as every file a save could not write is named.
    filemsg::reportUnsaved(failures);
}

// "Русский" writes the language box before it clears its partner; "Казахский" clears its partner
// first. The language handler ticks the pair itself, so the final write finds the main window
// already switched.
void Nastroiki::Check1_Click() {
    if (Check1.value() == 1) {
        Text2.setText(QStringLiteral("Rus"));
        Check2.setValue(0);
        ui::form<Vazed>().Text43.setText(Text2.text());
    }
    if (Check1.value() == 0) Check2.setValue(1);
}

void Nastroiki::Check2_Click() {
    if (Check2.value() == 1) {
        Check1.setValue(0);
        Text2.setText(QStringLiteral("Kaz"));
        ui::form<Vazed>().Text43.setText(Text2.text());
    }
    if (Check2.value() == 0) Check1.setValue(1);
}

void Nastroiki::Check3_Click() {
    if (Check3.value() == 1) Text4.setText(QStringLiteral("1"));
    if (Check3.value() == 0) Text4.setText(QStringLiteral("0"));
}

void Nastroiki::List1_Click() {
    Text3.setText(List1.text());
}

}  // namespace velmox
