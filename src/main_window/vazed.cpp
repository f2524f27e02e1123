// Start-up, last values, saved value lists, the entry-state save and the shutdown of the main
// window.
#include "main_window/vazed.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <exception>
#include <optional>

#include "common/file_messages.h"
#include "common/leftovers.h"
#include "common/saved_lists.h"
#include "common/settings_file.h"
#include "common/text_file.h"
#include "common/whole_file.h"
#include "main_window/vazed_tables.h"
#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/picture_box.h"
#include "platform/program_folder.h"
#include "settings/nastroiki.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
// The order in which the start-up fills the lists.
constexpr int kLoadOrder[21] = {20, 21, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 1, 2, 3, 4, 5, 6, 7};
// The order of the merges of the entry-state save: list 21 runs between lists 18 and 19.
constexpr int kMergeOrder[21] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 21, 19, 20};

const SavedList& savedList(int n) {
    return kSavedLists[n - 1];
}

// Every file of the program folder that Velmox or QR writes: what killed saves left is cleared beside
// these and nothing else.
QStringList writtenFiles() {
    QStringList files;
    for (const char* name : {"1.xml", "2.txt", "2.xml", "qr_tlwh.txt", "data\\lang.txt", "data\\Skin.txt",
                             "data\\Line.txt", "data\\pw.txt", "data\\ph.txt"})
        files << ui::programPath(QString::fromLatin1(name));
    for (int n = 1; n <= 21; ++n) files << savedlists::fileName(n);
    return files;
}

// The file a name leads to, or nothing for one that is not there.
std::optional<std::pair<dev_t, ino_t>> identityOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return std::pair(st.st_dev, st.st_ino);
}

bool holds(const ui::ComboBox& box, const QStringList& entries) {
    if (box.listCount() != entries.size()) return false;
    for (int i = 0; i < box.listCount(); ++i)
        if (box.list(i) != entries[i]) return false;
    return true;
}

}  // namespace

Vazed::Vazed()
    : ui::Form(QStringLiteral("Vazed")), listFiles_(new savedlists::ListFile[std::size(kSavedLists)]) {
    for (const SavedList& s : kSavedLists)
        listFiles_[s.n - 1] = savedlists::ListFile(savedlists::fileName(s.n));
    buildControls();
    bindHandlers();
}

Vazed::~Vazed() = default;

bool Vazed::Form_Initialize() {
    bool started = false;
    // The start is one action: what it cannot read is told in one box, each file once.
    ui::dispatchEvent([&started] {
        settings::forgetTold();
        if (!ui::formLoaded<Vazed>()) PrefetchSkinPictures();
        Vazed& v = ui::form<Vazed>();
        // Pictures the load did not ask for are not kept for a later skin change, which reads afresh.
        ui::discardPrefetchedPictures();
        if (!v.layoutLoaded_) return;
        // Read once the load has cleared what killed saves left, as every other file is.
        settings::readLineInto(v, &Vazed::Text43, QStringLiteral("data\\lang.txt"));
        v.show();
        started = true;
    });
    return started;
}

void Vazed::Form_Load() {
    const QString lockFile = ui::programPath(QStringLiteral("Velmox.lock"));
    try {
        instanceLock_ = ui::acquireInstanceLock(lockFile);
        if (!instanceLock_) {
            // Another copy runs in this folder: end silently, touching nothing.
            ui::endProgram(0);
            return;
        }
    } catch (const ui::Error& e) {
        // Without its lock this copy cannot know that it runs alone, and two copies would overwrite
        // each other's files: say why and end before anything is written.
        QString what = e.reason();
        if (!what.isEmpty()) what[0] = what[0].toUpper();
        ui::showError(what + QStringLiteral(". Программа будет закрыта, ни один файл не изменён."));
        ui::endProgram(1);
        return;
    }
    // Alone in the folder now: whatever a killed save left there belongs to no running save of
    // this program (QR's running save keeps its own file locked, and that is left alone).
    for (const SetAsideFile& f : clearLeftovers(writtenFiles()))
        filemsg::reportSetAside(f.file, f.backup, f.copies);
    clearNotedCopies();
    FillFontLists();
    Frame2.setVisible(false);
    Text100.setVisible(false);
    Text1.setVisible(false);
    LoadLayoutWorkbook();
    if (!layoutLoaded_) {
        // The end tells why while this copy still holds the folder, so no second copy starts under
        // the message.
        ui::endProgram(1);
        // Past the end only where the services leave the process running: the folder is free for
        // the next start all the same.
        instanceLock_.reset();
        return;
    }
    LoadSavedValueLists();
    ReadLastValues();
    MirrorEntries();
    PlaceFieldLabels();
    ApplyFontRow();
    settings::readLineInto(*this, &Vazed::Text47, QStringLiteral("data\\Skin.txt"));
    settings::readLineInto(*this, &Vazed::Text48, QStringLiteral("data\\Line.txt"));
}

void Vazed::LoadLayoutWorkbook() {
    Text1.setText(ui::programPath(QStringLiteral("1.xml")));
    const QString path = Text1.text();
    try {
        ui::form<Ziruduzizozod>().Spreadsheet1.setXMLURL(path);
        layoutSheet();
        layoutLoaded_ = true;
    } catch (const ui::Error& e) {
        filemsg::reportUnreadable(path, e.reason(),
                                  QStringLiteral("Программа будет закрыта, ни один файл не изменён."));
    }
}

void Vazed::ExportLayoutWorkbook() {
    ui::form<Ziruduzizozod>().Spreadsheet1.exportWorkbook(QStringLiteral("1.xml"));
}

void Vazed::MirrorEntries() {
    // A restored text equal to a box's design text ("Text2") is no change and would leave its field
    // label empty: every entry control is mirrored once more.
    for (const PrintField& f : kPrintFields) (this->*f.label).setCaption(f.entry.get(*this));
}

void Vazed::PlaceFieldLabels() {
    workbook::Worksheet& sheet = layoutSheet();
    for (const PrintField& f : kPrintFields) {
        ui::Label& l = this->*f.label;
        // A cell that holds no number leaves that coordinate where it is.
        if (auto top = workbook::toSingle(sheet.cell(QStringLiteral("C%1").arg(f.row))))
            l.setTop(ui::Twips(*top));
        if (auto left = workbook::toSingle(sheet.cell(QStringLiteral("E%1").arg(f.row))))
            l.setLeft(ui::Twips(*left));
    }
}

void Vazed::LoadSavedValueLists() {
    // A run begins here: it tells of every list file it cannot read, once, in one message.
    savedlists::forgetTold();
    std::vector<savedlists::Unreadable> unreadable;
    for (int n : kLoadOrder) {
        const SavedList& s = savedList(n);
        const QString path = savedlists::fileName(n);
        QStringList lines;
        {
            // The file's bytes go before the controls take its lines.
            textfile::ReadResult file = savedlists::read(path);
            if (!file.error.isEmpty()) unreadable.push_back({path, file.error, file.busy});
            lines = std::move(file.lines);
        }
        ui::ListBox& list = this->*s.list;
        list.clear();
        list.addItems(lines);
        ui::ComboBox& box = this->*s.combo;
        box.clear();
        box.addItems(lines);
    }
    savedlists::reportUnreadable(unreadable);
}

void Vazed::ReadLastValues() {
    bool unread = false, busy = false;
    const QStringList lines = settings::readLinesOrReport(ui::programPath(QStringLiteral("2.txt")), &unread,
                                                          textfile::LoneLf::InLine, &busy);
    lastValuesUnread_ = unread && !busy;
    // A missing or short file is a first start: the missing lines are empty.
    for (int i = 0; i < 47; ++i) kLastValueLines[i].set(*this, i < lines.size() ? lines[i] : QString());
    lastValuesBusy_.reset();
    if (busy) lastValuesBusy_ = currentLastValues();
}

QStringList Vazed::currentLastValues() const {
    QStringList lines;
    for (const EntryRef& e : kLastValueLines) lines << e.get(*this);
    return lines;
}

void Vazed::WriteLastValues() {
    const FileHold hold({ui::programPath(QStringLiteral("2.txt"))});
    if (const std::optional<textfile::EncodedFile> write = prepareLastValues())
        textfile::writeEncoded(write->path, write->bytes, write->options);
}

std::optional<textfile::EncodedFile> Vazed::prepareLastValues() {
    const QString file = ui::programPath(QStringLiteral("2.txt"));
    const textfile::ReadResult current = textfile::readLines(file);
    if (lastValuesBusy_) {
        // Held by another program at the start, so nothing of it was shown: it is read now, and is
        // left as it is while it still cannot be, so that its values never give way to empty boxes.
        if (!current.error.isEmpty())
            throw ui::Error(file, current.error,
                            current.busy ? ui::Error::Kind::Busy : ui::Error::Kind::Failure);
        for (int i = 0; i < 47; ++i)
            if (kLastValueLines[i].get(*this) == lastValuesBusy_->at(i))
                kLastValueLines[i].set(*this, current.lines.value(i));
        lastValuesBusy_.reset();
        MirrorEntries();
        ApplyFontRow();
    }
    const QStringList lines = currentLastValues();
    Text23.setText(lines.join(QStringLiteral("\r\n")));
    if (lastValuesUnread_)
        throw ui::Error(file, QStringLiteral("при запуске программы он не прочитался, поэтому "
                                             "оставлен как был"));
    return textfile::changedFile(file, lines, current);
}

// A merge up to its write: the list's number and the change of its file.
struct Vazed::ListMerge {
    int n;
    savedlists::Change change;
};

void Vazed::MergeSavedValueList(int n) {
    std::optional<ListMerge> merge = prepareMerge(n);
    if (!merge) return;
    if (const std::optional<ui::Error> failure = savedlists::write(merge->change)) throw *failure;
    finishMerge(*merge);
}

std::optional<Vazed::ListMerge> Vazed::prepareMerge(int n) {
    const ui::ComboBox& box = this->*savedList(n).combo;
    if (box.text().isEmpty()) return std::nullopt;
    ListMerge m{n, listFiles_[n - 1].merge(box.text())};
    if (m.change.error.isEmpty()) return m;
    // A file that cannot be read is left as it is, and named once: a later save that finds it so
    // again says nothing more, nor one after a message that showed the list empty for it. This
    // message is told under its own reason, so that the editor, which shows the list empty, still
    // says so. One that another program held is named at every save it misses.
    const QString reason = QStringLiteral("файл не читается: %1").arg(m.change.error);
    const savedlists::Unreadable shownEmpty{m.change.path, m.change.error}, unsaved{m.change.path, reason};
    if (savedlists::told(shownEmpty) || savedlists::told(unsaved)) return std::nullopt;
    if (!m.change.busy) savedlists::markTold(unsaved);
    throw ui::Error(m.change.path, reason, m.change.busy ? ui::Error::Kind::Busy : ui::Error::Kind::Failure);
}

void Vazed::finishMerge(const ListMerge& m) {
    const SavedList& s = savedList(m.n);
    savedlists::ListFile& file = listFiles_[m.n - 1];
    const QStringList written = file.written(m.change);
    // The hidden list already holding exactly these entries, unselected, is left as it is.
    ui::ListBox& list = this->*s.list;
    if (list.items() != written || list.listIndex() != -1) {
        list.clear();
        list.addItems(written);
    } else {
        // The lines just read are the list's own: one copy of them is kept.
        file.shareEntries(list.items());
    }
    ui::ComboBox& box = this->*s.combo;
    ui::TextBox& temp = this->*s.temp;
    temp.setText(box.text());
    if (box.listIndex() == -1 && holds(box, written)) {
        // What emptying the box, giving it its text back and refilling it would leave, in one step:
        // the same entries, nothing picked, the text shown from its start, and one Change.
        box.setDesignText(temp.text());
        if (!temp.text().isEmpty()) ui::fire(box.onChange);
        return;
    }
    box.clear();
    box.setText(temp.text());
    box.addItems(written);
}

void Vazed::SaveEntryState(const std::function<void()>& between) {
    // Each step's failure, in the order of the steps: last values, the caller's work, the 21 merges.
    std::vector<std::optional<ui::Error>> failures(2 + std::size(kMergeOrder));
    // A fault of the program in one step must not cost the other steps their files: the first is
    // kept, and thrown again once everything else is saved and told, for the event dispatch to
    // report.
    std::exception_ptr fault;
    // Every file whose new content this save builds from what it holds now is held from that read to
    // the end of its write: another program's save of a shared list can neither come between nor be
    // lost under this one.
    QStringList built{ui::programPath(QStringLiteral("2.txt"))};
    for (int n = 1; n <= savedlists::kListCount; ++n) built << savedlists::fileName(n);
    std::optional<FileHold> hold;
    hold.emplace(built);
    auto guarded = [&failures, &fault](std::size_t at, const std::function<void()>& step) {
        try {
            step();
        } catch (const ui::Error& e) {
            failures[at] = e;
        } catch (...) {
            if (!fault) fault = std::current_exception();
        }
    };
    std::optional<textfile::EncodedFile> lastValues;
    guarded(0, [&] { lastValues = prepareLastValues(); });
    if (between) guarded(1, between);
    std::vector<std::optional<ListMerge>> merges(std::size(kMergeOrder));
    // The changed files are written together, their flushes side by side. Two lists that are one file
    // (joined by a hard link) go in turns: the later merge starts from what the earlier one wrote, so
    // that neither value is lost.
    std::vector<std::size_t> toMerge(merges.size());
    for (std::size_t i = 0; i < toMerge.size(); ++i) toMerge[i] = i;
    for (bool firstTurn = true; firstTurn || !toMerge.empty(); firstTurn = false) {
        std::vector<std::pair<dev_t, ino_t>> merged;
        std::vector<std::size_t> nextTurn;
        for (const std::size_t i : toMerge) {
            if (const std::optional<std::pair<dev_t, ino_t>> file =
                    identityOf(savedlists::fileName(kMergeOrder[i]))) {
                if (std::find(merged.begin(), merged.end(), *file) != merged.end()) {
                    nextTurn.push_back(i);
                    continue;
                }
                merged.push_back(*file);
            }
            guarded(2 + i, [&] { merges[i] = prepareMerge(kMergeOrder[i]); });
        }
        std::vector<textfile::EncodedFile> writes;
        std::vector<std::size_t> writers;
        if (firstTurn && lastValues) {
            writes.push_back(*lastValues);
            writers.push_back(0);
        }
        for (const std::size_t i : toMerge) {
            if (!merges[i] || !merges[i]->change.write) continue;
            writes.push_back(*merges[i]->change.write);
            writers.push_back(2 + i);
        }
        const std::vector<std::optional<ui::Error>> writeFailures = textfile::writeEncodedFiles(writes);
        for (std::size_t k = 0; k < writers.size(); ++k)
            if (writeFailures[k]) failures[writers[k]] = writeFailures[k];
        toMerge = std::move(nextTurn);
    }
    hold.reset();

    for (std::size_t i = 0; i < merges.size(); ++i)
        if (merges[i] && !failures[2 + i]) guarded(2 + i, [&] { finishMerge(*merges[i]); });
    std::vector<ui::Error> failed;
    for (const std::optional<ui::Error>& f : failures)
        if (f) failed.push_back(*f);
    filemsg::reportUnsaved(failed);
    if (fault) std::rethrow_exception(fault);
}

void Vazed::Form_Unload() {
    // Each save is dispatched on its own, so that a fault of the program in one is reported here and
    // the close still goes on to the other and ends the program.
    ui::dispatchEvent([this] {
        // A run whose layout workbook did not load writes nothing: the files on disk are better.
        if (layoutLoaded_) SaveEntryState([this] { ExportLayoutWorkbook(); });
    });
    ui::dispatchEvent([] {
        // Settings applied in a settings window that is still open are kept as its own close keeps
        // them.
        if (ui::formLoaded<Nastroiki>()) ui::form<Nastroiki>().writeSettingsFiles();
    });
    // The end tells what the close could not save while this copy still holds the folder: a copy
    // started under the message would read files this one may still be naming.
    ui::endProgram(0);
    instanceLock_.reset();
}

}  // namespace velmox
