// The file dialog on a folder of N files, its list full: one resize to another width and back, laid
// out as the window system would. The list's columns should not cost more the more files it holds.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileDialog>
#include <QTreeView>
#include <memory>

#include "platform/services.h"
#include "support/program_folder.h"

namespace {

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void BM_FileDialogResize(benchmark::State& state) {
    ProgramFolder folder;
    const int files = int(state.range(0));
    for (int i = 0; i < files; ++i) folder.write(QStringLiteral("%1.xml").arg(i, 5, 10, QChar(u'0')), "x");
    const std::unique_ptr<QFileDialog> dialog =
        ui::makeFileDialog(false, QStringLiteral("Все файлы|*;"), folder.file("00000.xml"), nullptr);
    dialog->resize(800, 500);
    dialog->show();
    const auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    // The list fills from a background thread.
    while (!list || list->model()->rowCount(list->rootIndex()) < files) settle();
    settle();
    for (auto _ : state) {
        dialog->resize(1000, 500);
        settle();
        dialog->resize(800, 500);
        settle();
    }
}
BENCHMARK(BM_FileDialogResize)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
