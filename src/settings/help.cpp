// The help window's design, load, language, skin and close.
#include "settings/help.h"

#include "common/language.h"
#include "common/settings_file.h"
#include "common/skins.h"
#include "main_window/vazed.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
const QString kTimes = QStringLiteral("Times New Roman");

struct LabelDesign {
    ui::Label Help::*label;
    const char* name;
    ui::TwipsRect place;
    const char16_t* caption;
};
// The requirement names on the left, their values on the right. The values describe this build:
// it runs on Linux and needs no spreadsheet program; the values and the bottom label stay the same
// under both languages, so they hold no Russian words. "Программное обеспечение:" takes 2403 twips in
// Times New Roman bold (its twin has the same widths), more than a box of 2295: Label7 is as wide as
// that and two lines high like Label8, so the Kazakh name, 2474 twips, wraps onto its second line
// instead of running into the value beside it.
// clang-format off
constexpr LabelDesign kRequirements[] = {
    {&Help::Label1, "Label1", {240, 360, 2415, 255}, u"Операционные системы:"},
    {&Help::Label2, "Label2", {2760, 360, 2655, 255}, u"Linux (Debian 12+)"},
    {&Help::Label3, "Label3", {240, 720, 2175, 255}, u"Оперативная память:"},
    {&Help::Label4, "Label4", {2760, 720, 1455, 255}, u"512 МБ"},
    {&Help::Label5, "Label5", {240, 1080, 2175, 255}, u"Дисковое пространство:"},
    {&Help::Label6, "Label6", {2760, 1080, 1455, 255}, u"100 МБ"},
    {&Help::Label7, "Label7", {240, 1440, 2445, 495}, u"Программное обеспечение:"},
    {&Help::Label8, "Label8", {2760, 1440, 3375, 495}, u"Для работы программы не требуется табличный процессор"},
};
// clang-format on

// The rows in the order the language handler sets them.
// clang-format off
constexpr language::Text<Help> kLanguage[] = {
    language::title<Help>(31),
    language::caption(&Help::Frame1, 32),
    language::caption(&Help::Label1, 60),
    language::caption(&Help::Label3, 33),
    language::caption(&Help::Label5, 34),
    language::caption(&Help::Label7, 35),
    language::caption(&Help::Label8, 36),
};
// clang-format on

using Paint = skin::Paint<Help>;
constexpr Paint kBackgrounds[] = {&Help::Frame1, Paint()};
constexpr Paint kTexts[] = {&Help::Frame1, &Help::Label1, &Help::Label2, &Help::Label3, &Help::Label4,
                            &Help::Label5, &Help::Label6, &Help::Label7, &Help::Label8, &Help::Label10};
const skin::Look<Help> kLook{kBackgrounds, {}, kTexts};
}  // namespace

Help::Help() : ui::Form(QStringLiteral("Help")) {
    setCaption(QStringLiteral("Помощь"));
    setBackColor(0x00FBE3C8);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(6495), ui::Twips(3030));

    Frame1.create(*this, QStringLiteral("Frame1"), {120, 120, 6255, 2295});
    Frame1.setBorderStyle(1);
    Frame1.setBackColor(0x00FBE3C8);
    Frame1.setForeColor(0x00000000);
    Frame1.setFont({kTimes, 11.25f, true, false});
    Frame1.setCaption(QStringLiteral("Системные требования"));

    for (const LabelDesign& d : kRequirements) {
        ui::Label& l = this->*d.label;
        l.create(Frame1, QString::fromLatin1(d.name), d.place);
        l.setFont({kTimes, 9.75f, true, false});
        l.setBackStyle(0);
        l.setForeColor(0x00000000);
        l.setCaption(QString::fromUtf16(d.caption));
    }

    Text1.create(Frame1, QStringLiteral("Text1"), {240, 1800, 1935, 285});
    Text2.create(Frame1, QStringLiteral("Text2"), {5280, 1920, 735, 285});
    for (ui::TextBox* t : {&Text1, &Text2}) {
        t->setDesignText(t->name());
        t->setVisible(false);
    }

    Label10.create(*this, QStringLiteral("Label10"), {120, 2520, 6255, 375});
    Label10.setFont({kTimes, 14.25f, true, false});
    Label10.setAlignment(ui::Alignment::Center);
    Label10.setBackStyle(0);
    Label10.setForeColor(0x00000000);
    Label10.setCaption(QStringLiteral("Velmox"));

    Text2.onChange = [this] { Text2_Change(); };
    Text1.onChange = [this] { Text1_Change(); };
}

// Missing settings files leave the design look; the window opens all the same.
void Help::Form_Load() {
    settings::readLineInto(*this, &Help::Text2, QStringLiteral("data\\lang.txt"));
    settings::readLineInto(*this, &Help::Text1, QStringLiteral("data\\Skin.txt"));
}

void Help::Form_Unload() {
    ui::form<Vazed>().show();
}

void Help::Text2_Change() {
    language::apply(*this, Text2.text(), kLanguage, translationRow);
}

void Help::Text1_Change() {
    skin::apply(*this, Text1.text(), kLook);
}

}  // namespace velmox
