// Starts Velmox on a copy of a program folder, opens the settings window and the help window, and
// grabs both in Russian and Kazakh under each of the four skins. Nothing is written to the folder
// it was given: the start runs on a temporary copy.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "common/skins.h"
#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "settings/help.h"
#include "settings/nastroiki.h"

namespace {
bool copyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target)) return false;
    }
    return true;
}

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    auto scripted = std::make_unique<ui::ScriptedServices>();
    ui::ScriptedServices* services = scripted.get();
    ui::setServices(std::move(scripted));

    if (!velmox::Vazed::Form_Initialize()) {
        for (const auto& m : services->messages) err << m.title << ": " << m.text << "\n";
        err << "the program did not start\n";
        return 1;
    }
    velmox::Vazed& v = ui::form<velmox::Vazed>();
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
    for (const auto& m : services->messages) err << m.title << ": " << m.text << "\n";
    ui::services().endProgram(0);
    return 0;
}
