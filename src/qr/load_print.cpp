// The two actions of the QR window: loading the picture through the open dialog, and printing the
// window so that only the picture lands on the blank.
#include "common/skins.h"
#include "platform/printer.h"
#include "qr/qr.h"

namespace qr {

namespace {
constexpr ui::OleColor kWhite = 0x00FFFFFF;
}

// A file that is no picture, or a dialog that fails, ends the load silently: the path box shows
// the chosen path and the picture shown before stays. A cancel reports the file chosen last, so
// it loads that file again.
void QR::Image5_Click() {
    try {
        CommonDialog1.filter = QStringLiteral("jpeg|*.jpeg; *.jpg;");
        CommonDialog1.showOpen();
        Text1.setText(CommonDialog1.fileName);
        if (Text1.text().isEmpty()) {
            Text1.setText(QString());
            return;
        }
        if (const std::optional<QPixmap> picture = ui::readPicture(Text1.text())) Image1.setPicture(*picture);
    } catch (const ui::Error&) {
        // A dialog that fails ends the load as a file that is no picture does: silently.
    }
}

// Only the picture is left on the window, on white, for the print. Whatever the printer does, the
// window comes back as it was afterwards; a failed print stays silent.
void QR::Image2_Click() {
    ScrollBar1.setVisible(false);
    ScrollBar2.setVisible(false);
    ScrollBar3.setVisible(false);
    Image2.setVisible(false);
    Image5.setVisible(false);
    setBackColor(kWhite);
    Text1.setVisible(false);
    const auto restore = [this] {
        ScrollBar1.setVisible(true);
        ScrollBar2.setVisible(true);
        ScrollBar3.setVisible(true);
        Image2.setVisible(true);
        Image5.setVisible(true);
        // Only the background comes back; a skin box that names no skin leaves it white.
        if (const skin::Skin* s = skin::find(Text8.text())) setBackColor(s->background);
        Text1.setVisible(true);
    };
    try {
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
        ui::printer().printForm(*this, QStringLiteral("QR"));
    } catch (const ui::Error&) {
        // No printer: nothing is printed, and the window comes back as it was.
    } catch (...) {
        // A fault of another kind is reported where the click was dispatched, the window whole.
        restore();
        throw;
    }
    restore();
}

}  // namespace qr
