#include "platform/picture_box.h"

#include <QImageReader>
#include <QPainter>

namespace ui {

namespace {
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(const PictureBox* box) : box_(box) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(1.0 / kTwipsPerPixel, 1.0 / kTwipsPerPixel);
        box_->paintPicture(p);
    }

private:
    const PictureBox* box_;
};
}  // namespace

PictureBox::PictureBox() : Control(new PictureWidget(this)) {}

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

void PictureBox::paintPicture(QPainter& p) const {
    if (!picture_.isNull()) {
        const QRectF target = stretch_ ? QRectF(0, 0, rect_.width, rect_.height)
                                       : QRectF(0, 0, picture_.width() * kTwipsPerPixel,
                                                picture_.height() * kTwipsPerPixel);
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

void PictureBox::print(QPainter& p) const { paintPicture(p); }

}  // namespace ui
