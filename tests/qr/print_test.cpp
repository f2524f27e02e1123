// Printing the QR window to a PDF and reading the page back: the picture alone, at its place and
// size from the paper's corner, and the window as it was afterwards, even when the printer fails.
#include <QBuffer>
#include <QImageWriter>
#include <QProcess>
#include <QRegularExpression>

#include "../student_base/printed_page.h"
#include "qr_fixture.h"

namespace {

constexpr int kDpi = 300;
constexpr double kToleranceMm = 0.3;

double mm(float twips) {
    return twips / ui::kTwipsPerInch * 25.4;
}
double dotsToMm(double dots) {
    return dots / kDpi * 25.4;
}

QString runTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The images of the page as `pdfimages -list` lists them, one line each.
QStringList imagesOf(const QString& pdf) {
    QStringList lines =
        runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n', Qt::SkipEmptyParts);
    return lines.mid(2);  // two header lines
}

QString pageSizeOf(const QString& pdf) {
    static const QRegularExpression size(QStringLiteral("Page size:\\s*(.*)"));
    return size.match(runTool(QStringLiteral("pdfinfo"), {pdf})).captured(1).trimmed();
}

// The box of every dot darker than mid grey, in dots; empty when the page is blank.
QRect inkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (row[x] < 128) box |= QRect(x, y, 1, 1);
    }
    return box;
}

// Dots that are not white at all, outside `allowed` (dots).
int strayDots(const QImage& page, const QRect& allowed) {
    int stray = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (row[x] < 250 && !allowed.contains(x, y)) ++stray;
    }
    return stray;
}

QByteArray blackJpeg() {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

class PrintTest : public QRTest {
protected:
    void SetUp() override {
        QRTest::SetUp();
        const QString tool = missingPopplerTool();
        if (!tool.isEmpty()) GTEST_SKIP() << tool.toStdString() << " is not installed";
        pdf = folder.file("page.pdf");
        ui::printer().setOutputPdf(pdf);
        ui::printer().setPaperSize(1);
        folder.write("code.jpg", blackJpeg());
    }
    void TearDown() override {
        ui::printer().setOutputPdf({});
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
        QRTest::TearDown();
    }

    qr::QR& startWithPicture() {
        qr::QR& w = start();
        services->dialogAnswers.push_back({true, folder.file("code.jpg")});
        w.Image5_Click();
        EXPECT_FALSE(w.Image1.picture().isNull());
        return w;
    }
    static void clickPrint(qr::QR& w) {
        QTest::mouseClick(w.window()->windowHandle(), Qt::LeftButton, {},
                          w.Image2.widget()->geometry().center());
    }
    // Every visible control of the design is visible again, every hidden one still hidden.
    static void expectTheWindowsLook(const qr::QR& w) {
        for (const ui::Control* c : std::initializer_list<const ui::Control*>{
                 &w.ScrollBar1, &w.ScrollBar2, &w.ScrollBar3, &w.Image2, &w.Image5, &w.Text1, &w.Image1})
            EXPECT_TRUE(c->visible() && c->widget()->isVisible()) << c->name().toStdString();
        for (const ui::Control* c : std::initializer_list<const ui::Control*>{
                 &w.Text2, &w.Text3, &w.Text4, &w.Text5, &w.Text6, &w.Text7, &w.Text8, &w.Image6, &w.Image7,
                 &w.Image3, &w.Image4})
            EXPECT_FALSE(c->visible() || c->widget()->isVisible()) << c->name().toStdString();
    }

    QString pdf;
};

TEST_F(PrintTest, ThePageHoldsOnlyThePictureAtItsTwipsFromThePapersCornerOnA4) {
    // clang-format off
    const std::array<int, 3> places[] = {  // Top, Left, size
        {2760, 4440, 1575},
        {0, 0, 1000},
        {1234, 10200, 3000},  // reaches past the client area's right edge, and the paper's
    };
    // clang-format on
    qr::QR& w = startWithPicture();
    for (const auto& [top, left, size] : places) {
        SCOPED_TRACE(std::to_string(top) + "," + std::to_string(left) + " size " + std::to_string(size));
        w.ScrollBar1.setValue(top);
        w.ScrollBar2.setValue(left);
        w.ScrollBar3.setValue(size);
        QFile::remove(pdf);
        clickPrint(w);
        ASSERT_TRUE(QFile::exists(pdf));
        EXPECT_TRUE(pageSizeOf(pdf).endsWith(QStringLiteral("(A4)"))) << pageSizeOf(pdf).toStdString();
        EXPECT_EQ(imagesOf(pdf).size(), 1) << imagesOf(pdf).join('\n').toStdString();
        EXPECT_TRUE(printedWords(pdf).empty());
        EXPECT_EQ(printedTitle(pdf), QStringLiteral("QR")) << "the job's title in the print queue";

        const QImage page = printedPage(pdf, kDpi);
        ASSERT_FALSE(page.isNull());
        const QRect ink = inkBox(page);
        const float right = std::min<float>(float(left + size), w.clientWidth().value);
        EXPECT_NEAR(dotsToMm(ink.left()), mm(float(left)), kToleranceMm);
        EXPECT_NEAR(dotsToMm(ink.top()), mm(float(top)), kToleranceMm);
        EXPECT_NEAR(dotsToMm(ink.right() + 1), mm(right), kToleranceMm);
        EXPECT_NEAR(dotsToMm(ink.bottom() + 1), mm(float(top + size)), kToleranceMm);
        EXPECT_EQ(strayDots(page, ink.adjusted(-2, -2, 2, 2)), 0)
            << "something besides the picture was printed";
        expectTheWindowsLook(w);
    }
}

TEST_F(PrintTest, APictureBelowTheClientAreaIsCutAtItsEdge) {
    qr::QR& w = startWithPicture();
    w.ScrollBar1.setValue(6567);
    w.ScrollBar3.setValue(3000);
    clickPrint(w);
    const QRect ink = inkBox(printedPage(pdf, kDpi));
    EXPECT_NEAR(dotsToMm(ink.bottom() + 1), mm(8565), kToleranceMm);
}

TEST_F(PrintTest, WithoutAPictureTheSheetStaysBlank) {
    qr::QR& w = start();
    clickPrint(w);
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(imagesOf(pdf).isEmpty());
    EXPECT_TRUE(inkBox(printedPage(pdf, kDpi)).isEmpty());
    expectTheWindowsLook(w);
}

TEST_F(PrintTest, AfterThePrintTheBackgroundIsTheSkinsAgainOrWhiteForAnUnknownSkin) {
    // clang-format off
    const std::pair<const char16_t*, ui::OleColor> skins[] = {
        {u"Основной скин", 0x00FBE3C8},
        {u"Белый интерактив скин", 0x8000000B},
        {u"Желтый скин", 0x80000018},
        {u"Темный скин", 0x00404040},
        {u"Темный скин ", 0x00FFFFFF},  // names no skin: the window stays white
    };
    // clang-format on
    for (const auto& [name, colour] : skins) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        folder.write("data\\Skin.txt", cp1251(QString::fromUtf16(name)) + "\r\n");
        qr::QR& w = startWithPicture();
        clickPrint(w);
        EXPECT_EQ(w.backColor(), colour);
        expectTheWindowsLook(w);
        ui::discardForm<qr::QR>();
    }
}

TEST_F(PrintTest, AFailingPrinterRestoresTheWindowSilently) {
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Желтый скин\r\n")));
    qr::QR& w = startWithPicture();
    ui::printer().setOutputPdf(folder.file("no such folder/page.pdf"));
    clickPrint(w);
    EXPECT_FALSE(QFile::exists(folder.file("no such folder/page.pdf")));
    EXPECT_EQ(w.backColor(), 0x80000018u);
    expectTheWindowsLook(w);
    EXPECT_TRUE(services->messages.empty());
    // The close still writes the position file.
    close();
    EXPECT_EQ(positionFile(), "2760\r\n4440\r\n1575\r\n1575\r\n");
}

TEST_F(PrintTest, ThePrintSetsThePaperToA4) {
    qr::QR& w = start();
    clickPrint(w);
    EXPECT_EQ(ui::printer().paperSize(), ui::Printer::kPaperA4);
}

}  // namespace
