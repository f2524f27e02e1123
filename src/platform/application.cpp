#include "platform/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

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

// What Qt says while the application connects to the display, held back until the connection
// is made: where the display cannot be opened, Qt's lines about it ("could not connect to
// display", "Could not load the Qt platform plugin") would come before the program's one line.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
std::mutex heldLock;  // the font preparation's thread may speak too
std::vector<HeldMessage> held;
bool holding = false;

// Passes on what was held, in its order, and what comes after it directly.
void stopHolding() {
    std::vector<HeldMessage> messages;
    {
        const std::lock_guard<std::mutex> lock(heldLock);
        holding = false;
        messages.swap(held);
    }
    if (!qtHandler) return;
    for (const HeldMessage& m : messages) {
        const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                         m.function.isNull() ? nullptr : m.function.constData(),
                                         m.category.isNull() ? nullptr : m.category.constData());
        qtHandler(m.type, context, m.text);
    }
}

// While the application connects to the display: a display that is named but cannot be opened
// ends the start with a Russian line, alone, instead of Qt's abort.
void duringConnection(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    {
        const std::lock_guard<std::mutex> lock(heldLock);
        if (text.contains(QLatin1String("could not connect to display"))) displayRefused = true;
        if (type == QtFatalMsg && displayRefused) {
            const QByteArray display = qgetenv("DISPLAY");
            cannotStart(display.isEmpty() ? QByteArray(kNoDisplay)
                                          : "не удалось подключиться к графическому экрану «" + display +
                                                "» (переменная DISPLAY)");
        }
        if (holding && type != QtFatalMsg) {
            held.push_back({type, QByteArray(context.file), QByteArray(context.function),
                            QByteArray(context.category), context.line, text});
            return;
        }
    }
    // Any other end of the start shows everything Qt said before it.
    if (type == QtFatalMsg) stopHolding();
    if (qtHandler) qtHandler(type, context, text);
}
}  // namespace

Application::DisplayCheck::DisplayCheck(const char* program, int argc, char** argv) {
    programName = program;
    if (needsDisplay(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        cannotStart(kNoDisplay);
    holding = true;
    qtHandler = qInstallMessageHandler(duringConnection);
}

Application::Application(const char* program, int& argc, char** argv)
    : display_(program, argc, argv), app_(argc, argv) {
    qInstallMessageHandler(qtHandler);
    stopHolding();
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
