#include "platform/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ui {

namespace {
const char* programName = "";
QtMessageHandler qtHandler = nullptr;
bool displayRefused = false;

// Whether the platform Qt will take shows windows on a display server: its own default does,
// as do xcb and wayland; offscreen, vnc, eglfs and the like need none.
bool needsDisplay(int argc, char** argv) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    if (platform.trimmed().isEmpty()) return true;
    // "wayland;xcb" tries each in turn; "offscreen:configfile=..." carries options.
    for (const QByteArray& entry : platform.split(';')) {
        const QByteArray name = entry.split(':').first().trimmed();
        if (!name.isEmpty() && !name.startsWith("xcb") && !name.startsWith("wayland")) return false;
    }
    return true;
}

constexpr char kNoDisplay[] = "нет графического экрана (переменная DISPLAY не задана)";

[[noreturn]] void cannotStart(const QByteArray& why) {
    std::fprintf(stderr, "%s: %s; запустите программу на рабочем столе.\n", programName, why.constData());
    std::fflush(nullptr);
    std::_Exit(1);
}

// While the application connects to the display: a display that is named but cannot be opened
// ends the start with a Russian line instead of Qt's abort.
void duringConnection(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("could not connect to display"))) displayRefused = true;
    if (type == QtFatalMsg && displayRefused) {
        const QByteArray display = qgetenv("DISPLAY");
        cannotStart(display.isEmpty() ? QByteArray(kNoDisplay)
                                      : "не удалось подключиться к графическому экрану «" + display +
                                            "» (переменная DISPLAY)");
    }
    if (qtHandler) qtHandler(type, context, text);
}
}  // namespace

Application::DisplayCheck::DisplayCheck(const char* program, int argc, char** argv) {
    programName = program;
    if (needsDisplay(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        cannotStart(kNoDisplay);
    qtHandler = qInstallMessageHandler(duringConnection);
}

Application::Application(const char* program, int& argc, char** argv)
    : display_(program, argc, argv), app_(argc, argv) {
    qInstallMessageHandler(qtHandler);
    fonts_.wait();
    // Qt's dialogs format sizes, dates and numbers by the default locale. Nothing of the program's
    // own does: its files keep one form whatever the locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Without the translation installed the dialogs stay in English; nothing else depends on it.
    if (qtTexts_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts_);
}

}  // namespace ui
