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
            stretch_ ? QRectF(0, 0, rect_.width, rect_.height)
                     : QRectF(0, 0, picture_.width() * kTwipsPerPixel, picture_.height() * kTwipsPerPixel);
        p.save();
        p.setClipRect(QRectF(0, 0, rect_.width, rect_.height));
        p.drawPixmap(target, picture_, QRectF(picture_.rect()));
        p.restore();
    }
    if (border_) {
        QPen pen(Qt::black);
        pen.setWidthF(kTwipsPerPixel);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const float h = kTwipsPerPixel / 2;
        p.drawRect(QRectF(h, h, rect_.width - kTwipsPerPixel, rect_.height - kTwipsPerPixel));
    }
}

}  // namespace ui
