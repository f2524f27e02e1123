#include "platform/picture_box.h"

#include <QImageReader>
#include <QPainter>

namespace ui {

PictureBox::PictureBox() : Control(newTwipsPaintedWidget(this)) {}

void PictureBox::setPicture(const QPixmap& p) {
    picture_ = p;
    widget()->update();
}

bool PictureBox::loadPicture(const QString& path) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        clearPicture();
        return false;
    }
    setPicture(QPixmap::fromImage(image));
    return true;
}

void PictureBox::setStretch(bool s) {
    stretch_ = s;
    widget()->update();
}

void PictureBox::setBorderStyle(int style) {
    border_ = style != 0;
    widget()->update();
}

void PictureBox::print(QPainter& p) const {
    if (!picture_.isNull()) {
        const QRectF target =
            stretch_ ? areaOf(rect_.width, rect_.height)
                     : areaOf(Twips::fromPixels(picture_.width()), Twips::fromPixels(picture_.height()));
        p.save();
        p.setClipRect(areaOf(rect_.width, rect_.height));
        p.drawPixmap(target, picture_, QRectF(picture_.rect()));
        p.restore();
    }
    if (border_) drawPixelBorder(p, rect_.width, rect_.height);
}

}  // namespace ui
