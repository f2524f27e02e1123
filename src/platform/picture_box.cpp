#include "platform/picture_box.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/plain_file.h"

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

// The whole file, if it is a plain file of no more than `limit` bytes. Opened without blocking and
// checked once open, so that nothing put in the picture's place meanwhile (a named pipe) holds the
// program.
std::optional<QByteArray> readPlainFile(const QString& path, qint64 limit) {
    int error = 0;
    QString refusal;
    const int fd = openPlainFile(QFile::encodeName(path), O_RDONLY, error, refusal);
    if (fd < 0) return std::nullopt;
    QFile file;
    struct stat st {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &st) == 0 && st.st_size <= limit && file.open(fd, QIODevice::ReadOnly)) {
        bytes = file.readAll();
        if (bytes->size() > limit) bytes.reset();
        file.close();
    }
    ::close(fd);
    return bytes;
}

// Reads and decodes one picture file; a plain image, so it may run on any thread.
std::optional<QImage> readImage(const QString& path) {
    // A file past the limit is refused unread.
    std::optional<QByteArray> bytes = readPlainFile(path, qint64(kAllocationLimitMb) * 1024 * 1024);
    if (!bytes) return std::nullopt;
    QBuffer whole;
    whole.setData(*std::move(bytes));
    whole.open(QIODevice::ReadOnly);
    // Skin pictures are JPEG: known by their first bytes, without asking every image plugin.
    const bool jpeg = whole.data().startsWith(QByteArrayView("\xFF\xD8\xFF", 3));
    const QByteArray format = jpeg ? QByteArray("jpeg") : QImageReader::imageFormat(&whole);
    if (format == "jpeg" && !jpegIsWhole(whole.data())) return std::nullopt;
    whole.seek(0);
    QImageReader reader(&whole, format);
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

namespace {
// Pictures decoded side by side: the threads share the list and each takes the next file left.
class PictureBatch {
public:
    explicit PictureBatch(QStringList paths) : paths_(std::move(paths)), images_(size_t(paths_.size())) {}
    ~PictureBatch() { threads_.clear(); }

    const QStringList& paths() const { return paths_; }
    void start(unsigned threads) {
        for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
    }
    // Helps with what is left, waits for the rest and hands the pictures over, made into pixmaps on
    // the calling (window) thread.
    std::vector<std::optional<QPixmap>> finish() {
        work();
        threads_.clear();
        std::vector<std::optional<QPixmap>> out;
        out.reserve(images_.size());
        for (const std::optional<QImage>& image : images_)
            out.push_back(image ? std::optional(QPixmap::fromImage(*image)) : std::nullopt);
        return out;
    }

private:
    void work() {
        for (qsizetype i = next_++; i < paths_.size(); i = next_++) images_[size_t(i)] = readImage(paths_[i]);
    }

    const QStringList paths_;
    std::vector<std::optional<QImage>> images_;
    std::atomic<qsizetype> next_ = 0;
    std::vector<std::jthread> threads_;
};

unsigned sideThreads(const QStringList& paths) {
    return std::min<unsigned>(std::thread::hardware_concurrency(), unsigned(paths.size())) / 2;
}

std::unique_ptr<PictureBatch>& prefetched() {
    static std::unique_ptr<PictureBatch> batch;
    return batch;
}
}  // namespace

void prefetchPictures(const QStringList& paths) {
    prefetched() = std::make_unique<PictureBatch>(paths);
    prefetched()->start(std::max(1u, sideThreads(paths)));
}

void discardPrefetchedPictures() {
    prefetched().reset();
}

std::vector<std::optional<QPixmap>> readPictures(const QStringList& paths) {
    // What was fetched ahead serves once, and only a call for exactly those files.
    if (std::unique_ptr<PictureBatch> ahead = std::move(prefetched()); ahead && ahead->paths() == paths)
        return ahead->finish();
    PictureBatch batch(paths);
    batch.start(sideThreads(paths));
    return batch.finish();
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
