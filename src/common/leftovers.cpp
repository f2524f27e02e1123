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

// A killed save's new content goes, unless the save runs still: it holds the file's lock. The lock is
// the only one taken here, and never waited for.
bool removeNewContent(const QByteArray& path) {
    int error = 0;
    QString refusal;
    const int fd = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    if (fd < 0) return false;
    const bool removed =
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(path, fd) && ::unlink(path.constData()) == 0;
    ::close(fd);
    return removed;
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
        // export into this folder too); a new content's file is known only by the file it is named
        // after.
        if (own->isCopy)
            copies.push_back(path);
        else if (names.count(own->file))
            removed = removeNewContent(path) || removed;
    }
    ::closedir(dir);
    for (const QByteArray& copy : copies) inplace::settleCopy(copy);
    if (removed) (void)flushFolder(folder);
}

}  // namespace

void clearLeftovers(const QStringList& files) {
    // Each folder is read once, for all the files that lie in it.
    std::map<QByteArray, std::set<QByteArray>> folders;
    for (const QString& given : files) {
        QByteArray file = QFile::encodeName(given);
        if (resolveLinks(file) != 0) continue;
        folders[realFolder(folderOf(file))].insert(nameOf(file));
    }
    for (const auto& [folder, names] : folders) clearFolder(folder, names);
    // A file still marked has its copy elsewhere: a killed save through another name of it, in
    // another program folder.
    for (const auto& [folder, names] : folders)
        for (const QByteArray& name : names) inplace::settleMark(folder + '/' + name);
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
