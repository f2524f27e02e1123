// One application for the whole test binary, as the programs start it, on the offscreen platform
// unless a display was asked for, and no job of any test reaching a real printer. The offscreen
// screen is 1024 x 768, the smallest screen the windows are made for, and its windows have no
// frame, as on a display without a window manager.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryFile>

#include "platform/application.h"

#include "support/print_guard.h"
#include "support/private_home.h"

int main(int argc, char** argv) {
    const PrivateHome home;
    if (!home.isValid()) return 2;

    // One locale whatever the user's, before the application takes it over.
    qputenv("LC_ALL", "C.UTF-8");

    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QTemporaryFile screens;
    if (platform.isEmpty() || platform == "offscreen") {
        if (!screens.open()) return 2;
        screens.write(R"({"windowFrameMargins": false,
                          "screens": [{"name": "test", "x": 0, "y": 0, "width": 1024, "height": 768}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
    ui::Application app(argv[0], argc, argv);
    testing::InitGoogleTest(&argc, argv);
    guardSystemPrinter();
    return RUN_ALL_TESTS();
}
