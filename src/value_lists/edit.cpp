// The editor's load, its page switches, its close, and reading and rewriting the list files.
#include "value_lists/edit.h"

#include <QDir>

#include "common/file_messages.h"
#include "common/settings_file.h"
#include "common/text_file.h"
#include "main_window/vazed.h"
#include "platform/dispatch.h"
#include "value_lists/edit_tables.h"

namespace velmox {

using namespace value_lists;

namespace {

// The order in which the load reads the lists (list 21 comes second).
constexpr int kReadOrder[21] = {1, 21, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

// The shown page lies 240 twips below its designed place; the other is moved far outside the
// window, keeping its lists and their selections.
constexpr ui::Twips kPageLeft(120), kPageTop(720), kAway(-10000);

void showPage(ui::Frame& shown, ui::Frame& away) {
    shown.move(kPageLeft, kPageTop);
    away.move(kAway, kAway);
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
}  // namespace

void Edit::Form_Load() {
    // Each step goes on whatever an earlier one could not do, so the editor always opens with its
    // lists; a step that fails is reported and leaves the design look.
    ui::dispatchEvent([this] { Text2.setText(settings::readLine(QStringLiteral("data\\lang.txt"))); });
    ui::dispatchEvent([this] { Text1.setText(settings::readLine(QStringLiteral("data\\Skin.txt"))); });
    ui::dispatchEvent([this] { Check1.setValue(1); });
    ui::dispatchEvent([this] { readListFiles(); });
}

void Edit::Form_Unload() {
    if (ui::formLoaded<Vazed>()) ui::form<Vazed>().show();
}

void Edit::Check1_Click() {
    if (Check1.value() != 1) return;
    Check2.setValue(0);
    showPage(Frame1, Frame2);
}

void Edit::Check2_Click() {
    if (Check2.value() != 1) return;
    Check1.setValue(0);
    showPage(Frame2, Frame1);
}

QString Edit::readListFile(int n) {
    ui::ListBox& list = this->*valueList(n).list;
    list.clear();
    const textfile::ReadResult file = textfile::readLines(savedListFile(n));
    utf8Files_[n - 1] = file.utf8;
    if (!file.error.isEmpty()) return file.error;
    // Every line is an entry: empty lines and repeats stay, as the file has them.
    list.addItems(file.lines);
    return {};
}

void Edit::readListFiles() {
    QStringList failures;
    for (int n : kReadOrder) {
        const QString reason = readListFile(n);
        if (!reason.isEmpty()) failures << QStringLiteral("%1: %2").arg(shown(savedListFile(n)), reason);
    }
    if (failures.isEmpty()) return;
    const bool one = failures.size() == 1;
    ui::showError(one ? QStringLiteral("Не удалось прочитать файл списка. Список показан пустым; его файл не "
                                       "изменится, пока в этом списке ничего не удалено.")
                      : QStringLiteral("Не удалось прочитать файлы списков: %1. Эти списки показаны пустыми; "
                                       "их файлы не изменятся, пока в них ничего не удалено.")
                            .arg(failures.size()),
                  failures.join(u'\n'));
}

void Edit::deleteEntries(int n) {
    ui::ListBox& list = this->*valueList(n).list;
    const int selected = list.listIndex();
    for (int i = list.listCount() - 1; i >= 0; --i)
        if (i == list.listIndex()) list.removeItem(i);
    const QString path = savedListFile(n);
    QString failure;
    try {
        // The data folder is not created here: without it the lists were never saved there.
        textfile::writeLines(path, list.items(), {.createFolder = false, .utf8 = utf8Files_[n - 1]});
    } catch (const textfile::WriteError& e) {
        failure = e.reason();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    if (failure.isEmpty()) {
        // The last entry is left selected, so repeated clicks empty the list from its end.
        if (list.listCount() > 0) list.setListIndex(list.listCount() - 1);
        return;
    }
    // The file kept the entry, so the list takes it back from the file: screen and file agree.
    const QString unreadable = readListFile(n);
    if (selected < list.listCount()) list.setListIndex(selected);
    QString reason = failure;
    if (!unreadable.isEmpty()) reason += QStringLiteral("\nФайл не читается: %1").arg(unreadable);
    filemsg::reportUnwritable(path, reason, QStringLiteral("Список показан так, как он записан в файле."));
}

}  // namespace velmox
