// The editor's load, its page switches, its close, and reading the list files and deleting from them.
#include "value_lists/edit.h"

#include "common/file_messages.h"
#include "common/saved_lists.h"
#include "common/settings_file.h"
#include "common/whole_file.h"
#include "main_window/vazed.h"
#include "platform/dispatch.h"
#include "platform/error.h"
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
}  // namespace

void Edit::Form_Load() {
    // Each step goes on whatever an earlier one could not do, so the editor always opens with its
    // lists; a step that fails is reported and leaves the design look.
    ui::dispatchEvent(
        [this] { settings::readLineInto(*this, &Edit::Text2, QStringLiteral("data\\lang.txt")); });
    ui::dispatchEvent(
        [this] { settings::readLineInto(*this, &Edit::Text1, QStringLiteral("data\\Skin.txt")); });
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

std::optional<savedlists::Unreadable> Edit::readListFile(int n) {
    ui::ListBox& list = this->*valueList(n).list;
    list.clear();
    const textfile::ReadResult file = savedlists::read(savedlists::fileName(n));
    // Every line is an entry: empty lines and repeats stay, as the file has them.
    list.addItems(file.lines);
    if (file.error.isEmpty()) return std::nullopt;
    return savedlists::Unreadable{savedlists::fileName(n), file.error, file.busy};
}

void Edit::readListFiles() {
    std::vector<savedlists::Unreadable> unreadable;
    for (int n : kReadOrder)
        if (std::optional<savedlists::Unreadable> failure = readListFile(n)) unreadable.push_back(*failure);
    savedlists::reportUnreadable(unreadable, savedlists::ReadAgain::AtTheEditorsNextOpening);
}

void Edit::deleteEntries(int n) {
    ui::ListBox& list = this->*valueList(n).list;
    // Held from the read the delete starts from to the end of its write, so that a value another
    // program saves meanwhile is never written away.
    std::optional<FileHold> hold;
    hold.emplace(QStringList{savedlists::fileName(n)});
    const savedlists::Change change =
        savedlists::removeEntry(savedlists::fileName(n), list.listIndex(), list.text());
    if (change.busy) {
        hold.reset();
        // Another program holds the file for the moment: the list stays as shown, and the same click
        // deletes once the file is free.
        filemsg::reportUnreadable(change.path, change.error,
                                  QStringLiteral("Запись не удалена; повторите удаление позже."));
        return;
    }
    if (!change.error.isEmpty()) {
        hold.reset();
        // Nothing of the file can be shown, and it is never written: its entries may still be mended.
        list.clear();
        savedlists::reportUnreadable({{change.path, change.error, change.busy}});
        return;
    }
    const std::optional<ui::Error> failure = savedlists::write(change);
    hold.reset();
    list.clear();
    if (!failure) {
        list.addItems(savedlists::writtenEntries(change));
        // The last entry is left selected, so repeated clicks empty the list from its end.
        if (list.listCount() > 0) list.setListIndex(list.listCount() - 1);
        return;
    }
    // The file kept the entry, so the list shows the file as it is: screen and file agree.
    list.addItems(change.before);
    if (change.removed) list.setListIndex(int(*change.removed));
    filemsg::reportUnwritable(change.path, failure->reason(),
                              QStringLiteral("Список показан так, как он записан в файле."));
}

}  // namespace velmox
