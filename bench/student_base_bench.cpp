// The student base at the size of a large college: "Загрузить данные" on a "2.xml" of N students
// (the base window loads it hidden, the picker fills and picks the first student), and a pick of a
// student near the end of the list.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QCoreApplication>
#include <QFile>
#include <fstream>
#include <string>

#include "main_window/vazed.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "student_base/baza_vazed.h"
#include "support/program_folder.h"
#include "support/scripted_services.h"
#include "workbook/ziruduzizozod.h"

namespace {

QByteArray shippedLayout() {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/1.xml"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray studentBase(int students) {
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
        " <ss:Worksheet ss:Name=\"Sheet1\">\n  <ss:Table>\n"
        "   <ss:Row><ss:Cell><ss:Data ss:Type=\"String\">ФИО</ss:Data></ss:Cell></ss:Row>\n";
    for (int i = 0; i < students; ++i) {
        const QByteArray n = QByteArray::number(i);
        const auto cell = [](const QByteArray& type, const QByteArray& text) {
            return "<ss:Cell><ss:Data ss:Type=\"" + type + "\">" + text + "</ss:Data></ss:Cell>";
        };
        xml += "   <ss:Row>" + cell("String", "Қасымов Ерлан " + n) + cell("String", "Серикович") +
               cell("String", "Қасымов Ерлан " + n) + cell("String", "Серікұлы") + cell("Number", "2019") +
               cell("String", "000" + n) + "</ss:Row>\n";
    }
    return xml + "  </ss:Table>\n </ss:Worksheet>\n</ss:Workbook>\n";
}

struct BaseFolder {
    ProgramFolder folder;
    explicit BaseFolder(int students) {
        folder.write("1.xml", shippedLayout());
        folder.write("data\\lang.txt", "Rus\r\n");
        folder.write("2.xml", studentBase(students));
        ui::setProgramFolder(folder.path());
        ui::setServices(std::make_unique<ui::ScriptedServices>());
    }
    ~BaseFolder() {
        ui::discardForm<velmox::BazaVazed>();
        ui::discardForm<velmox::Vazed>();
        ui::discardForm<velmox::Ziruduzizozod>();
        QCoreApplication::processEvents();
    }
};

// The sizes of student base the picker benchmarks run at, to show how they grow.
void studentCounts(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 2500, 5000, 10000}) b->Arg(n);
}

void BM_LoadBaseAndFillPicker(benchmark::State& state) {
    const int students = int(state.range(0));
    BaseFolder base(students);
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    for (auto _ : state) {
        // The window is not loaded, so the fill's first read loads "2.xml" as it does after a start.
        state.PauseTiming();
        ui::discardForm<velmox::BazaVazed>();
        state.ResumeTiming();
        v.Image1_Click();
    }
    if (v.Combo1.listCount() != students) state.SkipWithError("the picker did not list every student");
    state.SetComplexityN(students);
}
BENCHMARK(BM_LoadBaseAndFillPicker)->Apply(studentCounts)->Unit(benchmark::kMillisecond)->Complexity();

void BM_FillPickerFromLoadedBase(benchmark::State& state) {
    const int students = int(state.range(0));
    BaseFolder base(students);
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    v.Image1_Click();
    for (auto _ : state) v.Image1_Click();
    state.SetComplexityN(students);
}
BENCHMARK(BM_FillPickerFromLoadedBase)->Apply(studentCounts)->Unit(benchmark::kMillisecond)->Complexity();

// A line of /proc/self/status in KiB ("VmHWM", "VmRSS"), or 0.
double statusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1));
    return 0;
}

// The memory the base costs from a started main window: the peak while "Загрузить данные" loads
// "2.xml" and fills the picker, above what the process held before, per row and against the file's
// size. The peak mark is reset first (Linux: "5" into clear_refs).
void BM_StudentBaseMemory(benchmark::State& state) {
    const int students = int(state.range(0));
    BaseFolder base(students);
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    const double fileKiB = double(studentBase(students).size()) / 1024;
    double before = 0, peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ui::discardForm<velmox::BazaVazed>();
        QCoreApplication::processEvents();
        // Memory freed before (the generated file's text) goes back to the system, so the load
        // cannot hide in pages the process still holds.
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        before = statusKiB("VmRSS");
        state.ResumeTiming();
        v.Image1_Click();
        peak = statusKiB("VmHWM");
    }
    if (v.Combo1.listCount() != students) state.SkipWithError("the picker did not list every student");
    state.counters["peak_MiB"] = peak / 1024;
    state.counters["grown_MiB"] = (peak - before) / 1024;
    state.counters["KiB_per_row"] = (peak - before) / students;
    state.counters["x_file"] = (peak - before) / fileKiB;
    state.SetComplexityN(students);
}
BENCHMARK(BM_StudentBaseMemory)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Two students near the end, chosen in turn: each choice copies its own row without a scan.
void BM_PickNearTheEnd(benchmark::State& state) {
    const int students = int(state.range(0));
    BaseFolder base(students);
    velmox::Vazed::Form_Initialize();
    velmox::Vazed& v = ui::form<velmox::Vazed>();
    v.Image1_Click();
    int index = students - 1;
    for (auto _ : state) {
        v.Combo1.setListIndex(index);
        index = index == students - 1 ? students - 2 : students - 1;
    }
    if (!v.Text14.text().startsWith(QLatin1String("000"))) state.SkipWithError("no student was copied");
    state.SetComplexityN(students);
}
BENCHMARK(BM_PickNearTheEnd)->Apply(studentCounts)->Unit(benchmark::kMicrosecond)->Complexity();

}  // namespace
