// The whole start-up of the main window on a program folder with 21 lists of 1,000 or 10,000
// entries, and the entry-state save that merges them all: once when the merges change no list, once
// when every list changes.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>

#include "common/text_file.h"
#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "support/program_folder.h"
#include "support/scripted_services.h"
#include "workbook/ziruduzizozod.h"

namespace {

QByteArray shippedLayout() {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/1.xml"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct BigFolder {
    ProgramFolder folder;
    explicit BigFolder(int perList = 1000) {
        folder.write("1.xml", shippedLayout());
        folder.write("data\\lang.txt", "Rus\r\n");
        for (int n = 1; n <= 21; ++n) {
            QStringList entries;
            for (int i = 0; i < perList; ++i)
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
    BigFolder big(int(state.range(0)));
    for (auto _ : state) {
        velmox::Vazed::Form_Initialize();
        state.PauseTiming();
        dropWindows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SaveEntryState(benchmark::State& state) {
    BigFolder big(int(state.range(0)));
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    for (const auto& s : velmox::kSavedLists) (v.*s.combo).setText(QStringLiteral("Новое значение"));
    for (auto _ : state) v.SaveEntryState();
    dropWindows();
}
BENCHMARK(BM_SaveEntryState)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The first save after a start, as the close usually is: nothing is known of the files yet, so each
// is read, folded and encoded once. The start itself is not timed.
void BM_FirstSaveEntryState(benchmark::State& state) {
    BigFolder big(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        velmox::Vazed::Form_Initialize();
        velmox::Vazed& v = ui::form<velmox::Vazed>();
        state.ResumeTiming();
        v.SaveEntryState();
        state.PauseTiming();
        dropWindows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstSaveEntryState)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Two values in turn: each save moves the other one to the end of every list, so all 21 files change.
void BM_SaveEntryStateChangingEveryList(benchmark::State& state) {
    BigFolder big(int(state.range(0)));
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    bool first = true;
    for (auto _ : state) {
        const QString value = first ? QStringLiteral("Новое значение") : QStringLiteral("Другое значение");
        first = !first;
        for (const auto& s : velmox::kSavedLists) (v.*s.combo).setText(value);
        v.SaveEntryState();
    }
    dropWindows();
}
BENCHMARK(BM_SaveEntryStateChangingEveryList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
