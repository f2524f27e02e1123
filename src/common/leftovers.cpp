#include "common/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <map>
#include <set>

#include "common/disk.h"
#include "common/in_place.h"
#include "common/whole_file.h"
#include "platform/plain_file.h"
#include "platform/program_folder.h"

namespace {

using namespace disk;

// A killed save's unfinished file goes, unless the save runs still: it holds the file's lock.
bool removeUnfinished(const QByteArray& path) {
    const ui::Descriptor fd = ui::openPlain(path, O_RDONLY | O_NOFOLLOW);
    return fd.isOpen() && lockNow(fd.get(), LOCK_EX) == 0 && stillNamed(path, fd.get()) &&
           ::unlink(path.constData()) == 0;
}

void clearFolder(const QByteArray& folder, const std::set<QByteArray>& names) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    std::vector<QByteArray> copies;
    bool removed = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<OwnName> own = ownNameOf(entry->d_name);
        if (!own) continue;
        const QByteArray path = folder + '/' + entry->d_name;
        // A copy proves by its head that it is the routine's own, whatever file it was taken of (an
        // export into this folder too); an unfinished file is known only by the file it is named
        // after.
        // A backup is made under its file's first backup name, whatever name it takes in the end.
        const bool ofBackup = own->file.endsWith(".bak") && names.count(own->file.chopped(4));
        if (own->isCopy)
            copies.push_back(path);
        else if (names.count(own->file) || ofBackup)
            removed = removeUnfinished(path) || removed;
    }
    ::closedir(dir);
    for (const QByteArray& copy : copies) inplace::settleCopy(copy);
    if (removed) (void)flushFolder(folder);
}

// A file whose mark leaves no content to read goes beside its name, as its bytes lie, under the first
// free backup name, so that the next save writes the file anew instead of it being named unfinished at
// every start. The file's lock is held throughout, as every save holds it: a save that waited for it
// finds the name free and makes the file anew. The backup's name, or nothing.
std::optional<QByteArray> putAside(const QByteArray& name) {
    struct stat st {};
    const ui::Descriptor file = inplace::lockForClearing(name, st);
    // A name replaced meanwhile is another file's.
    if (!file.isOpen() || !inplace::markLeavesNoContent(file.get(), st, name) ||
        !stillNamed(name, file.get()))
        return std::nullopt;
    QString backup;
    if (st.st_nlink > 1) {
        // Its other names keep the file, and their saves write into it: the bytes go into a file of
        // their own, and this name alone goes.
        int error = 0;
        const std::optional<QByteArray> bytes = readAt(file.get(), 0, st.st_size, error);
        const QString given = QFile::decodeName(name);
        if (!bytes ||
            !writeNewWholeFile([&](int n) { return backupName(given, n); }, *bytes, backup, given).isEmpty())
            return std::nullopt;
        if (::unlink(name.constData()) != 0) {
            ::unlink(QFile::encodeName(backup).constData());
            return std::nullopt;
        }
    } else if (renameToFirstFree(
                   name, [&](int n) { return backupName(QFile::decodeName(name), n); }, backup)) {
        return std::nullopt;
    }
    // Done, whether or not the folder's flush is: the name is free now, and the start says so.
    (void)flushFolder(folderOf(name));
    return QFile::encodeName(backup);
}

// Named as the operator knows the file: beside the name given, where the file lies there.
QString asGiven(const QString& given, const QByteArray& name, const QByteArray& path) {
    const QByteArray givenName = QFile::encodeName(given);
    const bool sameFolder =
        nameOf(givenName) == nameOf(name) && realFolder(folderOf(givenName)) == folderOf(name);
    return QFile::decodeName(sameFolder ? folderOf(givenName) + '/' + nameOf(path) : path);
}

}  // namespace

std::vector<SetAsideFile> clearLeftovers(const QStringList& files) {
    // Each folder is read once, for all the files that lie in it.
    std::map<QByteArray, std::set<QByteArray>> folders;
    std::vector<std::pair<QString, QByteArray>> marked;  // each of `files` as given, and where it lies
    for (const QString& given : files) {
        QByteArray file = QFile::encodeName(given);
        if (resolveLinks(file) != 0) continue;
        const QByteArray folder = realFolder(folderOf(file));
        folders[folder].insert(nameOf(file));
        marked.emplace_back(given, folder + '/' + nameOf(file));
    }
    for (const auto& [folder, names] : folders) clearFolder(folder, names);
    // A file still marked has its copy elsewhere: a killed save through another name of it, in
    // another program folder; or none is left.
    std::vector<SetAsideFile> setAside;
    for (const auto& [given, name] : marked) {
        const std::optional<QByteArray> backup = putAside(name);
        if (!backup) continue;
        SetAsideFile aside{given, asGiven(given, name, *backup), {}};
        for (const QByteArray& copy : inplace::copiesBeside(name)) aside.copies << asGiven(given, name, copy);
        setAside.push_back(std::move(aside));
    }
    return setAside;
}

void clearNotedCopies() {
    const QByteArray program = realFolder(QFile::encodeName(ui::programFolder()));
    DIR* dir = ::opendir(program.constData());
    if (!dir) return;
    std::vector<QByteArray> notes;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<OwnName> own = ownNameOf(entry->d_name);
        if (own && own->isCopy && (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN))
            notes.push_back(program + '/' + entry->d_name);
    }
    ::closedir(dir);
    for (const QByteArray& note : notes) inplace::settleNote(note);
}
