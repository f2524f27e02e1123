#include "platform/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace ui {

namespace {
// Enough for any photograph; a picture that would need more memory is refused before decoding.
constexpr int kAllocationLimitMb = 256;

// The decoder fills a JPEG that ends early with grey and calls it a picture. A whole file has its
// end marker after the start of its last scan; a scan's data never holds the marker's bytes.
bool jpegIsWhole(const QByteArray& bytes) {
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype end = bytes.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    return lastScan >= 0 && end > lastScan;
}
}  // namespace

std::optional<QPixmap> readPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray format = QImageReader::imageFormat(&file);
    QBuffer whole;
    if (format == "jpeg") {
        // The whole file is read once to check its end, so a file past the limit is refused unread.
        if (file.size() > qint64(kAllocationLimitMb) * 1024 * 1024) return std::nullopt;
        file.seek(0);
        whole.setData(file.readAll());
        if (!jpegIsWhole(whole.data())) return std::nullopt;
        whole.open(QIODevice::ReadOnly);
    }
    file.seek(0);
    QImageReader reader(format == "jpeg" ? static_cast<QIODevice*>(&whole) : &file, format);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return QPixmap::fromImage(image);
}

PictureBox::PictureBox() : Control(newTwipsPaintedWidget(this)) {}

void PictureBox::setPicture(const QPixmap& p) {
    picture_ = p;
    widget()->update();
}

bool PictureBox::loadPicture(const QString& path) {
    const std::optional<QPixmap> picture = readPicture(path);
    setPicture(picture.value_or(QPixmap()));
    return picture.has_value();
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
        p.setClipRect(areaOf(rect_.width, rect_.height), Qt::IntersectClip);
        p.drawPixmap(target, picture_, QRectF(picture_.rect()));
        p.restore();
    }
    if (border_) drawPixelBorder(p, rect_.width, rect_.height);
}

}  // namespace ui
