// The settings window's printer set-up and driver installer buttons and their hover pictures. A
// move over one button lights it and returns the other to normal; a press, or a move over the bare
// window, a frame or a caption label, shows the normal picture.
#include "settings/nastroiki_buttons.h"

#include "platform/paths.h"
#include "platform/printer.h"

namespace velmox {

namespace {
const hover::Button<Nastroiki>& printerButton = kSettingsButtons[0];
const hover::Button<Nastroiki>& driverButton = kSettingsButtons[1];

void showBothNormal(Nastroiki& w) {
    hover::showNormal(w, kSettingsButtons);
}
}  // namespace

// The printer chosen here takes every later print of this run. The paper goes back to A4 also
// after a cancel; a failure of the dialog or the printer leaves the handler silently.
void Nastroiki::Image1_Click() {
    try {
        CommonDialog1.showPrinter(ui::printer());
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
    } catch (const ui::Error&) {
        // A printer the dialog could not set up leaves the printer as it was, without a word.
    }
}

// The installer is looked for in the program folder only, like QR; a failed start is reported and
// the window goes on. Every click starts another one.
void Nastroiki::Image2_Click() {
    ui::startProgramFromFolder(QStringLiteral("setup.exe"), ui::WindowStyle::MinimizedFocus);
}

void Nastroiki::Image1_MouseMove() {
    hover::showHover(*this, kSettingsButtons, 0);
}
void Nastroiki::Image2_MouseMove() {
    hover::showHover(*this, kSettingsButtons, 1);
}
void Nastroiki::Image1_MouseDown() {
    hover::showNormal(*this, printerButton);
}
void Nastroiki::Image2_MouseDown() {
    hover::showNormal(*this, driverButton);
}
void Nastroiki::Form_MouseMove() {
    showBothNormal(*this);
}
void Nastroiki::Frame1_MouseMove() {
    showBothNormal(*this);
}
void Nastroiki::Frame4_MouseMove() {
    showBothNormal(*this);
}
void Nastroiki::Label3_MouseMove() {
    showBothNormal(*this);
}
void Nastroiki::Label2_MouseMove() {
    hover::showNormal(*this, printerButton);
}

}  // namespace velmox
