// Starts Velmox on a copy of a program folder, opens the settings window and the help window, and
// grabs both in Russian and Kazakh under each of the four skins; first it grabs the value list
// editor with the folder's lists, as it opens and with the second entry of each list picked. Nothing is
// written to the folder it was given: the start runs on a temporary copy.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

#include "common/skins.h"
#include "main_window/vazed.h"
#include "platform/application.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "settings/help.h"
#include "settings/nastroiki.h"
#include "shared/copy_folder.h"
#include "value_lists/edit.h"
#include "value_lists/edit_tables.h"

namespace {
// The program's own services, but a message goes to the terminal instead of waiting for a click,
// and nothing ends the process under the pictures.
class ShotServices : public ui::QtServices {
public:
    using ui::QtServices::messageBox;
    void messageBox(const QString& text, const QString& title, const QString& details) override {
        QTextStream(stderr) << title << ": " << text << "\n";
        if (!details.isEmpty()) QTextStream(stderr) << details << "\n";
    }
    void endProgram(int) override {}
};

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}
}  // namespace

int main(int argc, char** argv) {
    ui::Application app(argv[0], argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: window_shots <program folder> <output folder>\n";
        return 2;
    }
    QTemporaryDir copy;
    if (!copy.isValid() || !copyFolder(QDir(QString::fromLocal8Bit(argv[1])).absolutePath(), copy.path())) {
        err << "cannot copy the program folder\n";
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());
    ui::setProgramFolder(copy.path());
    ui::setServices(std::make_unique<ShotServices>());

    if (!velmox::Vazed::Form_Initialize()) {
        err << "the program did not start\n";
        return 1;
    }
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    v.Image24_Click();
    velmox::Edit& e = ui::form<velmox::Edit>();
    settle();
    e.window()->grab().save(out.filePath(QStringLiteral("edit.png")));
    for (int n = 1; n <= 21; ++n) {
        ui::ListBox& list = e.*velmox::value_lists::valueList(n).list;
        if (list.listCount() > 1) list.setListIndex(1);
    }
    settle();
    e.window()->grab().save(out.filePath(QStringLiteral("edit-picked.png")));
    e.hide();
    v.Image10_Click();
    velmox::Nastroiki& s = ui::form<velmox::Nastroiki>();
    velmox::Help& h = ui::form<velmox::Help>();
    h.show();
    for (const char* language : {"Rus", "Kaz"}) {
        (QLatin1String(language) == QLatin1String("Kaz") ? s.Check2 : s.Check1).setValue(1);
        for (const skin::Skin& k : skin::kSkins) {
            s.List1.setListIndex(s.List1.items().indexOf(QString::fromUtf16(k.name)));
            settle();
            const QString tag = QStringLiteral("%1-skin%2").arg(QLatin1String(language)).arg(k.folder);
            s.window()->grab().save(out.filePath(QStringLiteral("settings-%1.png").arg(tag)));
            h.window()->grab().save(out.filePath(QStringLiteral("help-%1.png").arg(tag)));
        }
    }
    std::fflush(nullptr);
    // The windows stay as they are: no close handler writes into the copied folder.
    std::_Exit(0);
}
