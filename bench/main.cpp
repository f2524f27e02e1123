// One application on the offscreen platform for every benchmark, as the programs start it: windows need one.
// The file dialog's benchmark would leave its folders and column widths in the user's Qt settings.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/application.h"
#include "support/private_home.h"

int main(int argc, char** argv) {
    const PrivateHome home;
    if (!home.isValid()) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application app(argv[0], argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
