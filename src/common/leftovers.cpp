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
        if (own->isCopy)
            copies.push_back(path);
        else if (names.count(own->file))
            removed = removeUnfinished(path) || removed;
    }
    ::closedir(dir);
    for (const QByteArray& copy : copies) inplace::settleCopy(copy);
    if (removed) (void)flushFolder(folder);
}

}  // namespace

std::vector<SetAsideFile> clearLeftovers(const QStringList& files, const QStringList& namedAfter) {
    // Each folder is read once, for all the files that lie in it.
    std::map<QByteArray, std::set<QByteArray>> folders;
    std::vector<std::pair<QString, QByteArray>> marked;  // each of `files` as given, and where it lies
    for (const QStringList* list : {&files, &namedAfter})
        for (const QString& given : *list) {
            QByteArray file = QFile::encodeName(given);
            if (resolveLinks(file) != 0) continue;
            const QByteArray folder = realFolder(folderOf(file));
            folders[folder].insert(nameOf(file));
            if (list == &files) marked.emplace_back(given, folder + '/' + nameOf(file));
        }
    for (const auto& [folder, names] : folders) clearFolder(folder, names);
    // A file still marked has its copy elsewhere: a killed save through another name of it, in
    // another program folder; or none is left.
    std::vector<SetAsideFile> setAside;
    for (const auto& [given, name] : marked) {
        const std::optional<inplace::SetAside> aside = inplace::settleMark(name);
        if (!aside) continue;
        // Named as the operator knows the file: beside the name given, where the file lies there.
        const QByteArray beside = folderOf(QFile::encodeName(given)) + '/' + nameOf(aside->backup);
        const bool sameFolder = nameOf(QFile::encodeName(given)) == nameOf(name) &&
                                realFolder(folderOf(QFile::encodeName(given))) == folderOf(name);
        setAside.push_back({given, QFile::decodeName(sameFolder ? beside : aside->backup)});
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
