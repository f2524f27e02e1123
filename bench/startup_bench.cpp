// The whole start-up of the main window on a program folder with 21 lists of 1,000 entries, and
// the entry-state save that merges them all.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>

#include "common/text_file.h"
#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "support/scripted_services.h"
#include "support/program_folder.h"
#include "workbook/ziruduzizozod.h"

namespace {

QByteArray shippedLayout() {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/1.xml"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct BigFolder {
    ProgramFolder folder;
    BigFolder() {
        folder.write("1.xml", shippedLayout());
        folder.write("data\\lang.txt", "Rus\r\n");
        for (int n = 1; n <= 21; ++n) {
            QStringList entries;
            for (int i = 0; i < 1000; ++i)
                entries << QStringLiteral("Организация образования номер %1-%2").arg(n).arg(i);
            textfile::writeLines(folder.file(QStringLiteral("data\\%1.txt").arg(n)), entries);
        }
        QStringList last;
        for (int i = 1; i <= 47; ++i) last << QStringLiteral("значение %1").arg(i);
        last[41] = QStringLiteral("Times New Roman");
        last[42] = QStringLiteral("курсивный");
        last[43] = QStringLiteral("10");
        textfile::writeLines(folder.file("2.txt"), last);
        ui::setProgramFolder(folder.path());
        ui::setServices(std::make_unique<ui::ScriptedServices>());
    }
};

void dropWindows() {
    ui::discardForm<velmox::Vazed>();
    ui::discardForm<velmox::Ziruduzizozod>();
    QCoreApplication::processEvents();
}

void BM_StartUp(benchmark::State& state) {
    BigFolder big;
    for (auto _ : state) {
        velmox::Vazed::Form_Initialize();
        state.PauseTiming();
        dropWindows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

void BM_SaveEntryState(benchmark::State& state) {
    BigFolder big;
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    for (const auto& s : velmox::kSavedLists) (v.*s.combo).setText(QStringLiteral("Новое значение"));
    for (auto _ : state) v.SaveEntryState();
    dropWindows();
}
BENCHMARK(BM_SaveEntryState)->Unit(benchmark::kMillisecond);

}  // namespace
