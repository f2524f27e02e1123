// One writer of a file at a time: a save holds its file's lock from the read its new content is
// built from to the end of its write, whichever way it writes, so two programs' saves of one file
// both keep their values, a save waits for another program that holds the file, and a file put aside
// meanwhile is made anew by the save that waited. Files the routine makes are owner-only until they
// have their original's permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <functional>
#include <thread>

#include "common/disk.h"
#include "common/saved_lists.h"
#include "common/whole_file.h"
#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"
#include "support/child_process.h"
#include "support/held_file.h"
#include "support/program_folder.h"

namespace {

// Another program: `body` in a forked copy of this one, running until waitFor.
pid_t startProgram(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    return pid;
}

bool succeeded(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void link(const QString& from, const QString& to) {
    ASSERT_EQ(::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
}

// Two program folders share one list, by a hard link (written in its own place) or by links to one
// file elsewhere (replaced whole). A third program reads the list while each presses "Блок" with a
// value of its own: both saves are done, and the list keeps both values.
TEST(OneWriter, TwoProgramsMergingIntoOneSharedListBothKeepTheirValues) {
    for (const bool hardLink : {true, false}) {
        SCOPED_TRACE(hardLink ? "a hard link" : "links to one file");
        ProgramFolder folder;
        QDir(folder.path()).mkpath("x/data");
        QDir(folder.path()).mkpath("y/data");
        const QString x = folder.file("x/data/1.txt"), y = folder.file("y/data/1.txt");
        if (hardLink) {
            folder.write("x/data/1.txt", cp1251("Альфа\r\nБета\r\n"));
            link(x, y);
        } else {
            folder.write("shared/1.txt", cp1251("Альфа\r\nБета\r\n"));
            ASSERT_TRUE(QFile::link(folder.file("shared/1.txt"), x));
            ASSERT_TRUE(QFile::link(folder.file("shared/1.txt"), y));
        }
        const int reader = ::open(QFile::encodeName(x).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(reader, LOCK_SH), 0);
        const auto save = [&](const QString& list, const QString& value) {
            return startProgram([=] {
                // The reader's lock is its own: a forked copy of its descriptor would share it.
                ::close(reader);
                const FileHold hold({list});
                savedlists::ListFile file(list);
                const savedlists::Change change = file.merge(value);
                return change.error.isEmpty() && !savedlists::write(change);
            });
        };
        const pid_t fromX = save(x, "FROMX"), fromY = save(y, "FROMY");
        // Long enough for both to have read the list, were a read not held up until the write.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::close(reader);
        EXPECT_TRUE(succeeded(fromX));
        EXPECT_TRUE(succeeded(fromY));
        const QStringList entries = savedlists::read(x).lines;
        EXPECT_EQ(entries.size(), 4) << entries.join('|').toStdString();
        for (const char* value : {"Альфа", "Бета", "FROMX", "FROMY"})
            EXPECT_TRUE(entries.contains(QString::fromUtf8(value))) << value;
    }
}

// Another program holds a file that is replaced whole (a single name, the student base): the save
// waits for it as a write in place does, and one held for longer than the action may wait is busy
// and stays as it was. Once free, the save goes through.
TEST(OneWriter, ASaveThatReplacesAFileWaitsForAnotherProgramsLock) {
    const ShortFileWaits shortWaits;
    ProgramFolder folder;
    folder.write("2.xml", "old");
    auto held = std::make_unique<HeldFile>(folder.file("2.xml"));
    {
        const ui::FileWaitScope action;
        EXPECT_EQ(writeWholeFile(folder.file("2.xml"), "new"), ui::busyReason());
    }
    EXPECT_EQ(folder.read("2.xml"), QByteArray("old"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"2.xml"});
    held.reset();
    EXPECT_EQ(writeWholeFile(folder.file("2.xml"), "new"), "");
    EXPECT_EQ(folder.read("2.xml"), QByteArray("new"));
}

// A start puts a file aside while a save of it waits for its lock (the file renamed away, or, where it
// has other names, this name removed). The save that waited finds its name free and makes the file
// anew: what it reports done stays under the name, and the bytes put aside stay as they were.
TEST(OneWriter, ASaveThatWaitedWhileItsFileWasPutAsideMakesItAnew) {
    for (const bool otherNames : {false, true}) {
        SCOPED_TRACE(otherNames ? "with other names" : "one name");
        ProgramFolder folder;
        folder.write("data/5.txt", "old\r\n");
        const QString file = folder.file("data/5.txt");
        if (otherNames) link(file, folder.file("data/5-other.txt"));
        auto held = std::make_unique<HeldFile>(file);
        QString failure = "not yet";
        std::thread save([&] { failure = writeWholeFile(file, "new\r\n"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (otherNames)
            ASSERT_TRUE(QFile::remove(file));
        else
            ASSERT_TRUE(QFile::rename(file, folder.file("data/5.txt.bak")));
        held.reset();
        save.join();
        EXPECT_EQ(failure, "");
        EXPECT_EQ(folder.read("data/5.txt"), QByteArray("new\r\n"));
        EXPECT_EQ(folder.read(otherNames ? "data/5-other.txt" : "data/5.txt.bak"), QByteArray("old\r\n"));
    }
}

// The routine's own files (new contents, copies, backups, files put aside) are made owner-only, even
// where the umask would let everyone read them: another user who opens one the moment it appears can
// never read what its original keeps from them. A first file then gets what the umask leaves.
TEST(OneWriter, TheRoutinesOwnFilesAreMadeOwnerOnly) {
    ProgramFolder folder;
    folder.write("2.xml", "students");
    ASSERT_EQ(::chmod(QFile::encodeName(folder.file("2.xml")).constData(), 0600), 0);
    runInChild([&] {
        ::umask(0);
        QByteArray name;
        const int fd = disk::makeOwnFile(QFile::encodeName(folder.file("2.xml")), disk::kNewEnding, name);
        ASSERT_GE(fd, 0);
        struct stat st {};
        ASSERT_EQ(::fstat(fd, &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        ::close(fd);
        ::unlink(name.constData());
        EXPECT_EQ(disk::firstFileMode(), 0666u);
        QString written;
        EXPECT_EQ(writeNewWholeFile([&](int n) { return backupName(folder.file("2.xml"), n); }, "students",
                                    written, folder.file("2.xml")),
                  "");
        struct stat backup {};
        ASSERT_EQ(::stat(QFile::encodeName(written).constData(), &backup), 0);
        EXPECT_EQ(backup.st_mode & 07777, 0600u);
    });
}

}  // namespace
