// Both programs started where there is no graphical screen: one Russian line on standard error and
// status 1, not Qt's abort; a start that fails otherwise keeps all that Qt says.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QFileInfo>
#include <QProcess>

namespace {

struct Outcome {
    int status;
    QString error;
};

// The program started with the environment of a console without a desktop: no display, no Qt
// platform asked for; `display` and `platform` set when not empty.
Outcome startWithout(const QString& program, const QString& display, const QString& platform = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess process;
    process.setProcessEnvironment(environment);
    // A program that aborts leaves no core file behind.
    process.setChildProcessModifier([] {
        const struct rlimit none {};
        ::setrlimit(RLIMIT_CORE, &none);
    });
    process.start(program, {});
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("did not end")};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {-2, QString::fromUtf8(process.readAllStandardError())};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

TEST(NoDisplay, EachProgramSaysInRussianThatItNeedsAGraphicalScreenAndEndsWithStatus1) {
    // A display number no server listens on.
    const QString deadDisplay = QStringLiteral(":987");
    ASSERT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")));
    struct Case {
        const char* program;
        QString path, display, message;
    };
    const Case cases[] = {
        {"Velmox",
         QStringLiteral(VELMOX_EXECUTABLE),
         {},
         QStringLiteral("Velmox: нет графического экрана (переменная DISPLAY не задана); запустите программу "
                        "на рабочем столе.\n")},
        {"QR",
         QStringLiteral(VELMOX_QR_EXECUTABLE),
         {},
         QStringLiteral("QR: нет графического экрана (переменная DISPLAY не задана); запустите программу на "
                        "рабочем столе.\n")},
        {"Velmox", QStringLiteral(VELMOX_EXECUTABLE), deadDisplay,
         QStringLiteral("Velmox: не удалось подключиться к графическому экрану «:987» (переменная DISPLAY); "
                        "запустите программу на рабочем столе.\n")},
        {"QR", QStringLiteral(VELMOX_QR_EXECUTABLE), deadDisplay,
         QStringLiteral("QR: не удалось подключиться к графическому экрану «:987» (переменная DISPLAY); "
                        "запустите программу на рабочем столе.\n")},
    };
    for (const Case& c : cases) {
        const Outcome run = startWithout(c.path, c.display);
        const std::string what = std::string(c.program) + " with DISPLAY=" + c.display.toStdString();
        EXPECT_EQ(run.status, 1) << what << "\n" << run.error.toStdString();
        // The program's line alone: none of Qt's English lines about the display before it.
        EXPECT_EQ(run.error.toStdString(), c.message.toStdString()) << what;
    }
}

// What Qt says while it starts is held back only to give way to that line: a start that fails for
// another reason (a platform that does not exist) ends as Qt ends it, with all Qt said, in order.
TEST(NoDisplay, AStartThatFailsForAnotherReasonKeepsQtsOwnLines) {
    for (const char* program : {VELMOX_EXECUTABLE, VELMOX_QR_EXECUTABLE}) {
        const Outcome run = startWithout(QString::fromUtf8(program), {}, QStringLiteral("nosuchplatform"));
        EXPECT_EQ(run.status, -2) << program << ": Qt's abort\n" << run.error.toStdString();
        const qsizetype notFound = run.error.indexOf(QLatin1String("Could not find the Qt platform plugin"));
        const qsizetype cannotStart =
            run.error.indexOf(QLatin1String("no Qt platform plugin could be initialized"));
        EXPECT_GE(notFound, 0) << program << "\n" << run.error.toStdString();
        EXPECT_GT(cannotStart, notFound) << program << "\n" << run.error.toStdString();
        EXPECT_FALSE(run.error.contains(QLatin1String("графическ"))) << program;
    }
}

}  // namespace
