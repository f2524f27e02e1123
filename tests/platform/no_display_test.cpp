// Both programs started where there is no graphical screen: a Russian line on standard error and
// status 1, not Qt's abort.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

namespace {

struct Outcome {
    int status;
    QString error;
};

// The program started with the environment of a console without a desktop: no display, no Qt
// platform asked for; `display` set when not empty.
Outcome startWithout(const QString& program, const QString& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    QProcess process;
    process.setProcessEnvironment(environment);
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
        // Qt's own warnings may come first; the last line is the program's.
        EXPECT_TRUE(run.error.endsWith(c.message)) << what << "\n" << run.error.toStdString();
        EXPECT_FALSE(run.error.contains(QLatin1String("Reinstalling"))) << what;
    }
}

}  // namespace
