// Starts the QR window on a copy of the program folder in the language and skin asked for, loads a
// drawn square code picture as the operator's dialog would, lights the print button with its
// tooltip showing, and saves the whole screen as a PNG.
//   qr_screenshot <program folder> <Rus|Kaz> <skin name> <out.png>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <cstdio>

#include "common/text_file.h"
#include "platform/application.h"
#include "platform/paths.h"
#include "qr/qr.h"
#include "shared/copy_folder.h"

namespace {
// A square of black and white modules, like the codes the program is used for.
QImage codePicture() {
    QImage image(210, 210, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x)
            if ((x * 7 + y * 13 + x * y) % 3 == 0 || (x < 7 && y < 7) || (x > 13 && y < 7) ||
                (x < 7 && y > 13))
                p.fillRect(x * 10, y * 10, 10, 10, Qt::black);
    return image;
}

// The open dialog answers with the drawn picture.
class Answering : public ui::QtServices {
public:
    explicit Answering(QString picture) : picture_(std::move(picture)) {}
    ui::DialogAnswer openFileDialog(const QString&, const QString&) override { return {true, picture_}; }

private:
    QString picture_;
};
}  // namespace

int main(int argc, char** argv) {
    ui::Application app(argv[0], argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: qr_screenshot <program folder> <Rus|Kaz> <skin name> <out.png>\n");
        return 2;
    }
    QTemporaryDir copy;
    if (!copyFolder(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(), copy.path())) return 1;
    ui::setProgramFolder(copy.path());
    textfile::writeLines(ui::programPath(QStringLiteral("data\\lang.txt")),
                         {QString::fromLocal8Bit(argv[2])});
    textfile::writeLines(ui::programPath(QStringLiteral("data\\Skin.txt")),
                         {QString::fromLocal8Bit(argv[3])});
    const QString picture = ui::programPath(QStringLiteral("code.jpg"));
    if (!codePicture().save(picture, "jpeg", 95)) return 1;
    ui::setServices(std::make_unique<Answering>(picture));

    qr::QR& w = ui::form<qr::QR>();
    if (!QTest::qWaitForWindowExposed(w.window())) return 1;
    w.Image5_Click();
    w.Image2_MouseMove();
    QToolTip::showText(w.Image2.widget()->mapToGlobal(QPoint(10, 30)), w.Image2.toolTipText(),
                       w.Image2.widget());
    QTest::qWait(300);
    return w.window()->screen()->grabWindow(0).save(QString::fromLocal8Bit(argv[4])) ? 0 : 1;
}
