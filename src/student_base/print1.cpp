// The print dialog's design, load, print and cancel.
#include "student_base/print1.h"

#include "common/settings_file.h"
#include "main_window/vazed.h"
#include "platform/printer.h"

namespace velmox {

namespace {
const QString kTimes = QStringLiteral("Times New Roman");

// What lies on the main window beside the field labels: hidden for the print, then shown again,
// each in its own order.
void hideForPrint(Vazed& v) {
    v.VScroll1.setVisible(false);
    v.Frame1.setVisible(false);
    v.HScroll1.setVisible(false);
    v.Label46.setVisible(false);
}

// The job's title in the print queue: the program, then whose diploma it is, as the dialog shows it.
QString jobTitle(const Print1& p) {
    const QString whose = (p.Label1.caption() + u' ' + p.Label3.caption()).simplified();
    return whose.isEmpty() ? QStringLiteral("Velmox") : QStringLiteral("Velmox — ") + whose;
}

void showAfterPrint(Vazed& v) {
    v.Label46.setVisible(true);
    v.VScroll1.setVisible(true);
    v.Frame1.setVisible(true);
    v.HScroll1.setVisible(true);
}
}  // namespace

Print1::Print1() : ui::Form(QStringLiteral("Print1")) {
    setCaption(QStringLiteral("Печать данных"));
    setBackColor(0x00FBE3C8);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(6615), ui::Twips(2175));

    struct LabelDesign {
        ui::Label Print1::*label;
        const char* name;
        ui::TwipsRect place;
        float size;
        ui::Alignment alignment;
        ui::OleColor colour;
        const char16_t* caption;
    };
    // clang-format off
    const LabelDesign labels[] = {
        {&Print1::Label1, "Label1", {120, 120, 6375, 615},  14.25f, ui::Alignment::Center, 0x00000080, u""},
        {&Print1::Label2, "Label2", {240, 840, 2175, 375},  12.0f,  ui::Alignment::Left,   0x00000000, u"Под номером"},
        {&Print1::Label3, "Label3", {2400, 720, 1815, 495}, 20.25f, ui::Alignment::Left,   0x00000080, u""},
    };
    // clang-format on
    for (const LabelDesign& d : labels) {
        ui::Label& l = this->*d.label;
        l.create(*this, QString::fromLatin1(d.name), d.place);
        l.setFont({kTimes, d.size, true, false});
        l.setAlignment(d.alignment);
        l.setBackStyle(0);
        l.setForeColor(d.colour);
        l.setCaption(QString::fromUtf16(d.caption));
    }

    struct Picture {
        ui::PictureBox Print1::*picture;
        const char* name;
        float left, top;
    };
    // The buttons, then their picture holders below the visible client area.
    // clang-format off
    const Picture pictures[] = {
        {&Print1::Image1, "Image1", 4560, 1440},
        {&Print1::Image4, "Image4", 5640, 1440},
        {&Print1::Image2, "Image2", 720,  3120},
        {&Print1::Image3, "Image3", 1560, 3120},
        {&Print1::Image5, "Image5", 4080, 3480},
        {&Print1::Image6, "Image6", 5760, 3480},
    };
    // clang-format on
    for (const Picture& p : pictures)
        (this->*p.picture).create(*this, QString::fromLatin1(p.name), {p.left, p.top, 525, 525});

    Text2.create(*this, QStringLiteral("Text2"), {480, 1560, 975, 285});
    Text1.create(*this, QStringLiteral("Text1"), {480, 4200, 1695, 375});
    for (ui::TextBox* t : {&Text2, &Text1}) {
        t->setDesignText(t->name());
        t->setVisible(false);
    }

    Image1.onClick = [this] { Image1_Click(); };
    Image4.onClick = [this] { Image4_Click(); };
    Image1.onMouseDown = [this](const ui::MouseArgs&) { Image1_MouseDown(); };
    Image4.onMouseDown = [this](const ui::MouseArgs&) { Image4_MouseDown(); };
    Image1.onMouseMove = [this](const ui::MouseArgs&) { Image1_MouseMove(); };
    Image4.onMouseMove = [this](const ui::MouseArgs&) { Image4_MouseMove(); };
    onFormMouseMove = [this](const ui::MouseArgs&) { Form_MouseMove(); };
    Text2.onChange = [this] { Text2_Change(); };
    Text1.onChange = [this] { Text1_Change(); };
}

// Missing settings files leave the design look; the dialog opens all the same.
void Print1::Form_Load() {
    settings::readLineInto(*this, &Print1::Text2, QStringLiteral("data\\lang.txt"));
    settings::readLineInto(*this, &Print1::Text1, QStringLiteral("data\\Skin.txt"));
}

void Print1::Image1_Click() {
    Vazed& v = ui::form<Vazed>();
    // No field stays red on paper; the selected field's key stays, so the scroll bars still move it.
    for (const PrintField& f : kPrintFields) (v.*f.label).setForeColor(ui::syscolor::kButtonText);
    try {
        hideForPrint(v);
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
        ui::printer().printForm(v, jobTitle(*this));
        showAfterPrint(v);
    } catch (const ui::Error& e) {
        // No printer, or the page could not be made: the window comes back as it was, the dialog
        // goes, and the operator learns that no diploma came out and why.
        showAfterPrint(v);
        hide();
        ui::showError(QStringLiteral("Диплом не напечатан: %1.").arg(e.reason()),
                      QStringLiteral("Проверьте, что принтер включён и выбран принтером по умолчанию, "
                                     "и напечатайте ещё раз."));
    } catch (...) {
        // A fault of another kind is reported where the click was dispatched; the window is whole.
        showAfterPrint(v);
        hide();
        throw;
    }
}

void Print1::Image4_Click() {
    hide();
}

}  // namespace velmox
