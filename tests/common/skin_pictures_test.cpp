// The skin pictures of the built program folder: every skin holds every number as a 35 × 35
// JPEG, each lit picture differs from its button at rest, and each skin's buttons sit on its own
// background.
#include <gtest/gtest.h>

#include <QDir>
#include <QImageReader>
#include <cmath>

#include "common/skins.h"

namespace {

const int kNumbers[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                        17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 39, 40};

QString shipped(const skin::Skin& s, int n) {
    return QStringLiteral(VELMOX_PROGRAM_DIR "/image/Skin%1/%2.jpg").arg(s.folder).arg(n);
}

QImage read(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    EXPECT_EQ(reader.format(), "jpeg") << path.toStdString();
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// The sum of channel differences over the whole picture.
long difference(const QImage& a, const QImage& b) {
    long d = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            d +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return d;
}

TEST(SkinPictures, EverySkinFolderHoldsExactlyItsThirtyTwoPicturesOfThirtyFivePixels) {
    for (const skin::Skin& s : skin::kSkins) {
        QStringList expected;
        for (int n : kNumbers) expected << QStringLiteral("%1.jpg").arg(n);
        QStringList present =
            QDir(QStringLiteral(VELMOX_PROGRAM_DIR "/image/Skin%1").arg(s.folder)).entryList(QDir::Files);
        expected.sort();
        present.sort();
        EXPECT_EQ(present, expected) << s.folder;
        for (int n : kNumbers) EXPECT_EQ(read(shipped(s, n)).size(), QSize(35, 35)) << s.folder << "/" << n;
    }
}

// How alike the glyphs in the middle of two pictures are: the correlation of their brightness,
// 1 for the same drawing whatever the background's shade.
double likeness(const QImage& a, const QImage& b) {
    const QRect middle(7, 7, 21, 21);
    double ma = 0, mb = 0;
    for (int y = middle.top(); y <= middle.bottom(); ++y)
        for (int x = middle.left(); x <= middle.right(); ++x) {
            ma += qGray(a.pixel(x, y));
            mb += qGray(b.pixel(x, y));
        }
    const double n = double(middle.width() * middle.height());
    ma /= n;
    mb /= n;
    double ab = 0, aa = 0, bb = 0;
    for (int y = middle.top(); y <= middle.bottom(); ++y)
        for (int x = middle.left(); x <= middle.right(); ++x) {
            const double da = qGray(a.pixel(x, y)) - ma, db = qGray(b.pixel(x, y)) - mb;
            ab += da * db;
            aa += da * da;
            bb += db * db;
        }
    return ab / std::sqrt(aa * bb);
}

TEST(SkinPictures, TheLitPictureIsTheSameButtonVisiblyChanged) {
    for (const skin::Skin& s : skin::kSkins)
        for (int n : kNumbers) {
            if (n % 2 == 0) continue;
            const QImage rest = read(shipped(s, n)), lit = read(shipped(s, n + 1));
            EXPECT_GT(difference(rest, lit), 35L * 35 * 10) << s.folder << "/" << n;
            // Closer to its own button at rest than to any other button.
            const double same = likeness(rest, lit);
            for (int m : kNumbers) {
                if (m % 2 == 0 || m == n) continue;
                EXPECT_GT(same, likeness(rest, read(shipped(s, m)))) << s.folder << "/" << n << " and " << m;
            }
        }
}

TEST(SkinPictures, EachButtonSitsOnItsSkinsBackgroundAndSkinsDiffer) {
    for (const skin::Skin& s : skin::kSkins) {
        const QColor background = ui::toQColor(s.background);
        for (int n : kNumbers) {
            const QImage image = read(shipped(s, n));
            const QColor corner = image.pixelColor(0, 0);
            EXPECT_LE(std::abs(corner.red() - background.red()) +
                          std::abs(corner.green() - background.green()) +
                          std::abs(corner.blue() - background.blue()),
                      24)
                << s.folder << "/" << n;
        }
    }
    for (int n : kNumbers)
        EXPECT_GT(difference(read(shipped(skin::kSkins[0], n)), read(shipped(skin::kSkins[3], n))),
                  35L * 35 * 30)
            << n;
}

}  // namespace
