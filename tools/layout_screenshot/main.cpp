// Shows the main window's layout view on a copy of the program folder, in the language asked for,
// with the student base's first student picked, one field selected and a few other entries filled,
// and saves the window as a PNG: a picture to look at after changing the layout view.
//   layout_screenshot <program folder> <Rus|Kaz> <out.png>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "common/text_file.h"
#include "main_window/vazed.h"
#include "platform/application.h"
#include "platform/paths.h"
#include "shared/copy_folder.h"

int main(int argc, char** argv) {
    ui::Application app(argv[0], argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: layout_screenshot <program folder> <Rus|Kaz> <out.png>\n");
        return 2;
    }
    QTemporaryDir copy;
    if (!copyFolder(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(), copy.path())) return 1;
    ui::setProgramFolder(copy.path());
    textfile::writeLines(ui::programPath(QStringLiteral("data\\lang.txt")), {QString::fromLatin1(argv[2])});
    QFile::remove(ui::programPath(QStringLiteral("Velmox.exe")));
    if (!velmox::Vazed::Form_Initialize()) return 1;
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    if (!QTest::qWaitForWindowExposed(v.window())) return 1;

    v.Image1_Click();  // the first student of the sample base
    v.Combo2.setText(QStringLiteral("Алматинский колледж связи"));
    v.Combo4.setText(QStringLiteral("Техник"));
    v.Combo12.setText(QStringLiteral("Алматы байланыс колледжі"));
    v.Text5.setText(QStringLiteral("2024"));
    v.Text14.setText(QStringLiteral("0012345"));
    v.Image15_Click();
    v.Label1.onClick();
    QTest::qWait(200);
    return v.window()->grab().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
