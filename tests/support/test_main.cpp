// One QApplication for the whole test binary, on the offscreen platform unless a display was asked for,
// and no job of any test reaching a real printer.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/print_guard.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    guardSystemPrinter();
    return RUN_ALL_TESTS();
}
