#include "platform/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <thread>

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

namespace {
// Reads and decodes one picture file; a plain image, so it may run on any thread.
std::optional<QImage> readImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // Skin pictures are JPEG: known by their first bytes, without asking every image plugin.
    const bool jpeg = file.peek(3) == QByteArrayView("\xFF\xD8\xFF", 3);
    const QByteArray format = jpeg ? QByteArray("jpeg") : QImageReader::imageFormat(&file);
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
    // A JPEG known by its bytes needs no guessing, which would load every other image plugin too.
    if (format == "jpeg") reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}
}  // namespace

std::optional<QPixmap> readPicture(const QString& path) {
    const std::optional<QImage> image = readImage(path);
    if (!image) return std::nullopt;
    return QPixmap::fromImage(*image);
}

std::vector<std::optional<QPixmap>> readPictures(const QStringList& paths) {
    // A window's pictures are decoded side by side; pixmaps are made on the calling (window) thread.
    std::vector<std::optional<QImage>> images(paths.size());
    std::atomic<qsizetype> next = 0;
    const auto work = [&] {
        for (qsizetype i = next++; i < paths.size(); i = next++) images[size_t(i)] = readImage(paths[i]);
    };
    const unsigned helpers =
        std::min<unsigned>(std::thread::hardware_concurrency(), unsigned(paths.size())) / 2;
    std::vector<std::jthread> threads;
    for (unsigned i = 0; i < helpers; ++i) threads.emplace_back(work);
    work();
    threads.clear();
    std::vector<std::optional<QPixmap>> out;
    out.reserve(images.size());
    for (const std::optional<QImage>& image : images)
        out.push_back(image ? std::optional(QPixmap::fromImage(*image)) : std::nullopt);
    return out;
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
