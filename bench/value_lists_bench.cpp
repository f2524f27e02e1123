// The value list editor on a list file of N megabytes, once as one line and once as lines of a
// hundred bytes: "Редактировать" (the save, the load, the first painting), a delete, the close; and
// the drop-down list of the main window's entry box of that list. Both shapes should cost alike.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>

#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "support/program_folder.h"
#include "support/scripted_services.h"
#include "value_lists/edit.h"
#include "workbook/ziruduzizozod.h"

namespace {

QByteArray shippedLayout() {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/1.xml"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// data\1.txt of `megabytes` in one line, or in lines of a hundred bytes.
QByteArray listFile(int megabytes, bool oneLine) {
    const qsizetype size = qsizetype(megabytes) * 1'000'000;
    if (oneLine) return QByteArray(size, 'A') + "\r\n";
    QByteArray out;
    out.reserve(size);
    while (out.size() < size) out += QByteArray(98, 'A') + "\r\n";
    return out;
}

struct ListFolder {
    ProgramFolder folder;
    ListFolder(int megabytes, bool oneLine) {
        folder.write("1.xml", shippedLayout());
        folder.write("data\\lang.txt", "Rus\r\n");
        folder.write("data\\1.txt", listFile(megabytes, oneLine));
        ui::setProgramFolder(folder.path());
        ui::setServices(std::make_unique<ui::ScriptedServices>());
        velmox::Vazed::Form_Initialize();
    }
    ~ListFolder() {
        ui::discardForm<velmox::Edit>();
        ui::discardForm<velmox::Vazed>();
        ui::discardForm<velmox::Ziruduzizozod>();
        QCoreApplication::processEvents();
    }
};

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void editorRoad(benchmark::State& state, bool oneLine) {
    ListFolder list(int(state.range(0)), oneLine);
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    const QByteArray bytes = list.folder.read("data\\1.txt");
    for (auto _ : state) {
        v.Image24_Click();
        velmox::Edit& e = ui::form<velmox::Edit>();
        e.window()->grab();
        e.List1.setListIndex(0);
        e.Image1_Click();
        e.window()->grab();
        e.unload();
        settle();
        state.PauseTiming();
        list.folder.write("data\\1.txt", bytes);
        state.ResumeTiming();
    }
}

void BM_EditorOnOneLongLine(benchmark::State& state) {
    editorRoad(state, true);
}
void BM_EditorOnManyLines(benchmark::State& state) {
    editorRoad(state, false);
}
BENCHMARK(BM_EditorOnOneLongLine)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorOnManyLines)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void dropDown(benchmark::State& state, bool oneLine) {
    ListFolder list(int(state.range(0)), oneLine);
    auto* box = static_cast<QComboBox*>(ui::form<velmox::Vazed>().Combo2.widget());
    for (auto _ : state) {
        box->showPopup();
        box->view()->grab();
        box->hidePopup();
        settle();
    }
}

void BM_DropDownOfOneLongLine(benchmark::State& state) {
    dropDown(state, true);
}
void BM_DropDownOfManyLines(benchmark::State& state) {
    dropDown(state, false);
}
BENCHMARK(BM_DropDownOfOneLongLine)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropDownOfManyLines)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
