// The start, the three bars and the close of the QR window.
#include "qr/qr.h"

#include "common/file_messages.h"
#include "common/leftovers.h"
#include "common/settings_file.h"
#include "common/text_file.h"
#include "platform/dispatch.h"
#include "platform/paths.h"
#include "qr/position_file.h"

namespace qr {

namespace {
// The number in a box; the start and the bars only ever put numbers there.
ui::Twips twipsIn(const ui::TextBox& box) {
    return ui::Twips(float(boxNumber(box.text()).value_or(0)));
}
}  // namespace

void QR::Form_Load() {
    show();

    // QR runs beside Velmox, outside its lock. It removes the unfinished files of killed saves of its
    // own file, and settles every copy in the program folder whose file no running save holds (a copy
    // a killed save of Velmox's left there too, by the same rules a start of Velmox's settles it by).
    // It never waits for a file another program holds: that is left for the next start.
    for (const SetAsideFile& f : clearLeftovers({positionFilePath()}))
        filemsg::reportSetAside(f.file, f.backup, f.copies);

    // The box writes run nothing: the position boxes have no change handlers.
    bool busy = false;
    const QStringList lines = readPositionFile(positionFilePath(), &busy);
    // Held by another program: the design place shows, and is not written over the file unless the
    // picture is moved.
    if (busy) busyPlace_ = lines;
    Text2.setText(lines[0]);
    Text3.setText(lines[1]);
    Text4.setText(lines[2]);
    Text5.setText(lines[3]);

    Image1.setTop(twipsIn(Text2));
    Image1.setLeft(twipsIn(Text3));
    Image1.setHeight(twipsIn(Text4));
    Image1.setWidth(twipsIn(Text5));

    // Each write runs its bar's Change only when the value differs from the design value (1000, 0,
    // 0): so the width counts only when the height is exactly 1000, and a Top or Left of 0 keeps
    // the text it was read as.
    ScrollBar3.setValue(barInteger(*boxNumber(Text4.text())));
    ScrollBar1.setValue(barInteger(*boxNumber(Text2.text())));
    ScrollBar2.setValue(barInteger(*boxNumber(Text3.text())));

    settings::readLineInto(*this, &QR::Text7, QStringLiteral("data\\lang.txt"));
    settings::readLineInto(*this, &QR::Text8, QStringLiteral("data\\Skin.txt"));
}

void QR::Form_Unload() {
    const QStringList place{Text2.text(), Text3.text(), Text4.text(), Text5.text()};
    Text6.setText(place.join(QStringLiteral("\r\n")));
    // A file that another program held at the start was never read: it stays as it is, unless the
    // picture was moved since.
    if (busyPlace_ != place) {
        try {
            textfile::writeLines(positionFilePath(), Text6.text().split(QStringLiteral("\r\n")));
        } catch (const ui::Error& e) {
            // The place the operator set would be lost without a word.
            filemsg::reportUnwritable(e.file(), e.reason(), QStringLiteral("Место картинки не сохранено."));
        }
    }
    ui::endProgram(0);
}

void QR::ScrollBar1_Change() {
    Text2.setText(QString::number(ScrollBar1.value()));
    Image1.setTop(twipsIn(Text2));
}
void QR::ScrollBar1_Scroll() {
    ScrollBar1_Change();
}

void QR::ScrollBar2_Change() {
    Text3.setText(QString::number(ScrollBar2.value()));
    Image1.setLeft(twipsIn(Text3));
}
void QR::ScrollBar2_Scroll() {
    ScrollBar2_Change();
}

// The top-left corner stays put: the picture grows to the right and downwards, and stays square.
void QR::ScrollBar3_Change() {
    Text4.setText(QString::number(ScrollBar3.value()));
    Image1.setHeight(twipsIn(Text4));
    Text5.setText(QString::number(ScrollBar3.value()));
    Image1.setWidth(twipsIn(Text5));
}
void QR::ScrollBar3_Scroll() {
    ScrollBar3_Change();
}

}  // namespace qr
