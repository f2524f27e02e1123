// One application for the whole test binary, as the programs start it, on the offscreen platform
// unless a display was asked for, and no job of any test reaching a real printer. The offscreen
// screen is 1024 x 768, the smallest screen the windows are made for, and its windows have no
// frame, as on a display without a window manager.
#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "platform/application.h"

#include "support/print_guard.h"

int main(int argc, char** argv) {
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
