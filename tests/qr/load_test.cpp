// Loading the picture through the open dialog, answered by a script: a real JPEG, a cancel, and
// files that are no usable picture.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <functional>
#include <stdexcept>

#include "platform/error.h"
#include "qr_fixture.h"

namespace {

QByteArray jpeg(const QSize& size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.write(image);
    return bytes;
}

// A whole JPEG whose frame header claims a picture far too large to hold in memory.
QByteArray jpegClaiming(int width, int height) {
    QByteArray bytes = jpeg({16, 16}, Qt::gray);
    const qsizetype sof = bytes.indexOf(QByteArrayView("\xFF\xC0", 2));
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 0xFF);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 0xFF);
    return bytes;
}

class LoadTest : public QRTest {
protected:
    // The operator clicks the load button; the scripted dialog gives `answer`.
    void clickLoad(qr::QR& w, std::optional<QString> chosen) {
        if (chosen) services->dialogAnswers.push_back({true, *chosen});
        QTest::mouseClick(w.window()->windowHandle(), Qt::LeftButton, {},
                          w.Image5.widget()->geometry().center());
    }
    static QColor colourOf(const qr::QR& w) { return w.Image1.picture().toImage().pixelColor(5, 5); }
};

TEST_F(LoadTest, AChosenJpegFillsThePictureSquaredToItsSizeAndItsPathShows) {
    const QString path = folder.file("pictures\\code.jpg");
    folder.write("pictures\\code.jpg", jpeg({300, 200}, Qt::black));
    qr::QR& w = start();
    clickLoad(w, path);
    ASSERT_EQ(services->dialogs.size(), 1u);
    EXPECT_EQ(services->dialogs[0].kind, QStringLiteral("open"));
    EXPECT_EQ(services->dialogs[0].filter, QStringLiteral("jpeg|*.jpeg; *.jpg;"));
    EXPECT_EQ(services->dialogs[0].fileName, QString());
    EXPECT_EQ(w.Text1.text(), path);
    EXPECT_EQ(w.Image1.picture().size(), QSize(300, 200));
    // The picture is squeezed into the 1575 × 1575 square of the size bar.
    EXPECT_TRUE(w.Image1.stretch());
    EXPECT_EQ(w.Image1.widget()->size(), QSize(105, 105));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LoadTest, ACancelFirstLeavesEverythingEmptyAndACancelLaterLoadsTheLastFileAgain) {
    const QString path = folder.file("code.jpg");
    qr::QR& w = start();
    clickLoad(w, std::nullopt);
    EXPECT_EQ(w.Text1.text(), QString());
    EXPECT_TRUE(w.Image1.picture().isNull());

    folder.write("code.jpg", jpeg({40, 40}, Qt::black));
    clickLoad(w, path);
    EXPECT_EQ(colourOf(w), QColor(Qt::black));
    // The file changed on disk; a cancel reports the last file, and the picture is read anew.
    folder.write("code.jpg", jpeg({40, 40}, Qt::white));
    clickLoad(w, std::nullopt);
    ASSERT_EQ(services->dialogs.size(), 3u);
    EXPECT_EQ(services->dialogs[2].fileName, path) << "the dialog keeps its last file name";
    EXPECT_EQ(w.Text1.text(), path);
    EXPECT_EQ(colourOf(w), QColor(Qt::white));
}

TEST_F(LoadTest, AFileThatIsNoUsablePictureShowsItsPathAndKeepsThePictureShownBefore) {
    QByteArray whole = jpeg({64, 64}, Qt::red);
    // clang-format off
    const std::pair<const char*, QByteArray> files[] = {
        {"text named .jpg", "this is no picture\r\n"},
        {"empty", ""},
        {"cut short", whole.left(whole.size() / 2)},
        {"cut before its end marker", whole.left(whole.size() - 2)},
        {"claiming 60000 x 60000 pixels", jpegClaiming(60000, 60000)},
    };
    // clang-format on
    folder.write("good.jpg", jpeg({40, 40}, Qt::black));
    qr::QR& w = start();
    clickLoad(w, folder.file("good.jpg"));
    ASSERT_EQ(colourOf(w), QColor(Qt::black));
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        const QString path = folder.file(QStringLiteral("bad %1.jpg").arg(QString::fromLatin1(what)));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        clickLoad(w, path);
        EXPECT_EQ(w.Text1.text(), path);
        EXPECT_EQ(colourOf(w), QColor(Qt::black));
        EXPECT_EQ(w.Image1.picture().size(), QSize(40, 40));
    }
    // A file gone between the dialog and the load is one more failed load.
    clickLoad(w, folder.file("gone.jpg"));
    EXPECT_EQ(w.Text1.text(), folder.file("gone.jpg"));
    EXPECT_EQ(colourOf(w), QColor(Qt::black));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LoadTest, ThePictureKeepsItsPlaceAndSizeWhenAnotherIsLoaded) {
    writePositionFile("100\r\n200\r\n1200\r\n1200\r\n");
    folder.write("a.jpg", jpeg({30, 60}, Qt::black));
    qr::QR& w = start();
    clickLoad(w, folder.file("a.jpg"));
    EXPECT_EQ(placeOf(w), (std::array<float, 4>{100, 200, 1200, 1200}));
    EXPECT_EQ(w.Image1.widget()->geometry(), QRect(13, 7, 80, 80));
}

// A dialog that fails with the program's error ends the load without a word, as a file that is no
// picture does; a fault of another kind is reported where the click was dispatched. Either way the
// picture and the window stay as they were.
TEST_F(LoadTest, ADialogThatFailsEndsTheLoadSilentlyOnlyForTheProgramsOwnError) {
    folder.write("a.jpg", jpeg({30, 60}, Qt::black));
    qr::QR& w = start();
    clickLoad(w, folder.file("a.jpg"));
    ASSERT_EQ(colourOf(w), QColor(Qt::black));
    struct Case {
        const char* what;
        std::function<void()> raise;
        QString text;  // the message, "" for none
        QString details;
    };
    const Case cases[] = {
        {"the program's error", [] { throw ui::Error(QStringLiteral("диалог не открылся")); }, {}, {}},
        {"a fault of another kind", [] { throw std::logic_error("a fault of the program"); },
         QStringLiteral("Непредвиденная ошибка в программе."), QStringLiteral("a fault of the program")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services->messages.clear();
        services->dialogFails = c.raise;
        clickLoad(w, std::nullopt);
        services->dialogFails = nullptr;
        if (c.text.isEmpty()) {
            EXPECT_TRUE(services->messages.empty());
        } else {
            ASSERT_EQ(services->messages.size(), 1u);
            EXPECT_EQ(services->messages[0].text, c.text);
            EXPECT_EQ(services->messages[0].details, c.details);
        }
        EXPECT_EQ(w.Text1.text(), folder.file("a.jpg"));
        EXPECT_EQ(colourOf(w), QColor(Qt::black));
        EXPECT_TRUE(w.isShown());
    }
}

}  // namespace
