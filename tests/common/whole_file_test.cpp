// The one file routine in states a trusted editor meets: flushes that are cut short or fail, saves
// killed midway, files of other users, access lists, linked folders, pipes and files with several
// names.
#include "common/whole_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#include "common/text_file.h"
#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"
#include "support/child_process.h"
#include "support/flushes.h"
#include "support/held_file.h"
#include "support/program_folder.h"

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// What the writer flushed, in order: a file by its name, a folder by its path and "/" with whether
// one of the writer's temporary files was still in it.
std::mutex flushedMutex;
QStringList flushed;
std::atomic<int> fileFault{0}, folderFault{0}, interruptions{0};

int observedFlush(int fd) {
    QString seen = flushedName(fd);
    const bool folder = seen.endsWith(u'/');
    if (folder)
        for (const QString& name : entries(seen))
            if (name.endsWith(".new")) seen += " with " + name;
    {
        const std::lock_guard lock(flushedMutex);
        flushed << seen;
    }
    if (interruptions.fetch_sub(1) > 0) {
        errno = EINTR;
        return -1;
    }
    if (const int fault = folder ? folderFault.load() : fileFault.load()) {
        errno = fault;
        return -1;
    }
    return ::fsync(fd);
}

class WholeFileTest : public testing::Test {
protected:
    void SetUp() override {
        flushed.clear();
        fileFault = folderFault = interruptions = 0;
        setFlushForTests(&observedFlush);
        ui::setProgramFolder(folder.path());
    }
    void TearDown() override { setFlushForTests(nullptr); }

    ProgramFolder folder;
};

// Another program holding a file (its save in the file's own place, a reader): the read and the
// write in place fail as busy, which no caller takes for an unreadable file, and the waits of one
// action share one budget however many files it meets held; the next action has a whole one again.
TEST_F(WholeFileTest, AHeldFileIsBusyAndTheWaitsOfOneActionShareOneBudget) {
    using std::chrono::milliseconds;
    const ShortFileWaits waits;
    folder.write("a.txt", "a\r\n");
    folder.write("b.txt", "b\r\n");
    ASSERT_EQ(::link(QFile::encodeName(folder.file("b.txt")).constData(),
                     QFile::encodeName(folder.file("b-link.txt")).constData()),
              0);
    std::vector<int> held;
    for (const char* name : {"a.txt", "b.txt"}) {
        held.push_back(::open(QFile::encodeName(folder.file(name)).constData(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(::flock(held.back(), LOCK_EX), 0);
    }
    EXPECT_EQ(ui::fileWaitLeft(), milliseconds(200));
    {
        const ui::FileWaitScope action;
        QString error;
        bool busy = false;
        EXPECT_EQ(readWholeFile(folder.file("a.txt"), &error, nullptr, &busy), QByteArray());
        EXPECT_EQ(error, ui::busyReason());
        EXPECT_TRUE(busy);
        EXPECT_EQ(ui::fileWaitLeft(), milliseconds(0));
        // Nothing left to wait: the next held file fails at once, and so does a write in place.
        EXPECT_EQ(readWholeFile(folder.file("b.txt"), &error), QByteArray());
        EXPECT_EQ(error, ui::busyReason());
        EXPECT_EQ(writeWholeFile(folder.file("b-link.txt"), "new\r\n"), ui::busyReason());
        EXPECT_EQ(folder.read("b.txt"), QByteArray("b\r\n"));
        // A file no longer held is read at once, budget or none.
        ::close(held[0]);
        EXPECT_EQ(readWholeFile(folder.file("a.txt"), &error), QByteArray("a\r\n"));
        EXPECT_EQ(error, "");
    }
    {
        const ui::FileWaitScope next;
        EXPECT_EQ(ui::fileWaitLeft(), milliseconds(200));
    }
    ::close(held[1]);
    EXPECT_TRUE(QFile::remove(folder.file("b-link.txt")));
}

// Two program folders whose lists are joined crosswise by hard links (X/a is Y/b, X/b is Y/a) save at
// the same instant. Each save takes its files' locks in the order of their inodes, whatever order it
// is given them in, so neither ever holds one the other waits for. Here the other program holds the
// later file of the two: X's save, given that file first, has already locked the earlier one while
// it waits, and is done once the other program lets go.
TEST_F(WholeFileTest, ASaveLocksItsFilesInTheOrderOfTheirInodesSoCrosswiseSavesNeverLockEachOtherOut) {
    setFlushForTests(nullptr);
    QDir(folder.path()).mkpath("x");
    QDir(folder.path()).mkpath("y");
    folder.write("x/a.txt", "1\r\n");
    folder.write("x/b.txt", "2\r\n");
    for (const auto& [from, to] : {std::pair("x/a.txt", "y/b.txt"), std::pair("x/b.txt", "y/a.txt")})
        ASSERT_EQ(::link(QFile::encodeName(folder.file(from)).constData(),
                         QFile::encodeName(folder.file(to)).constData()),
                  0);
    const bool aFirst = statOf(folder.file("x/a.txt")).st_ino < statOf(folder.file("x/b.txt")).st_ino;
    const QString earlier = folder.file(aFirst ? "x/a.txt" : "x/b.txt");
    const QString later = folder.file(aFirst ? "y/a.txt" : "y/b.txt");  // the other's name of the later
    const int other = ::open(QFile::encodeName(later).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);

    QStringList failures;
    std::thread x([&] {
        failures =
            writeWholeFiles({{folder.file(aFirst ? "x/b.txt" : "x/a.txt"), "X\r\n"}, {earlier, "X\r\n"}});
    });
    // The save holds the earlier file while it waits for the later.
    const int probe = ::open(QFile::encodeName(earlier).constData(), O_RDONLY | O_CLOEXEC);
    bool earlierHeld = false;
    for (int tries = 0; tries < 400 && !earlierHeld; ++tries) {
        if (::flock(probe, LOCK_SH | LOCK_NB) != 0)
            earlierHeld = true;
        else
            ::flock(probe, LOCK_UN);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::close(probe);
    EXPECT_TRUE(earlierHeld);
    ::close(other);
    x.join();
    EXPECT_EQ(failures, (QStringList{"", ""}));
    for (const char* name : {"x/a.txt", "x/b.txt", "y/a.txt", "y/b.txt"})
        EXPECT_EQ(folder.read(name), "X\r\n");
}

TEST_F(WholeFileTest, ASaveIsDoneOnlyAfterEachFolderThatTookAFileIsFlushedOnceAfterItsRenames) {
    for (const char* name : {"2.txt", "1.xml", "data/1.txt", "data/2.txt"}) folder.write(name, "old");
    const QStringList failures = writeWholeFiles({{folder.file("2.txt"), "new"},
                                                  {folder.file("data/1.txt"), "new"},
                                                  {folder.file("1.xml"), "new"},
                                                  {folder.file("data/2.txt"), "new"}});
    EXPECT_EQ(failures, QStringList(4, QString()));
    ASSERT_EQ(flushed.size(), 6);
    // The files' flushes run side by side in any order; the folders follow, each once, every
    // temporary file in it already renamed.
    QStringList files = flushed.mid(0, 4);
    for (QString& f : files) f = f.section('.', 0, -3);
    files.sort();
    EXPECT_EQ(files, (QStringList{"1.txt", "1.xml", "2.txt", "2.txt"}));
    QStringList folders = flushed.mid(4);
    folders.sort();
    EXPECT_EQ(folders, (QStringList{folder.path() + "/", folder.file("data") + "/"}));
    for (const char* name : {"2.txt", "1.xml", "data/1.txt", "data/2.txt"})
        EXPECT_EQ(folder.read(name), QByteArray("new")) << name;
}

// A flush cut short by a signal is tried again; one that fails is a failed save of every file it
// concerns, named like any other failure. A file whose own flush fails keeps its old content; a
// folder's flush fails after the renames, so its files may hold the new content, but no save is
// reported done that a power cut could undo.
TEST_F(WholeFileTest, AnInterruptedFlushIsTriedAgainAndAFailedOneFailsTheSaveOfItsFiles) {
    struct Case {
        const char* name;
        int interruptions, fileFault, folderFault;
        QString dataReason, topReason;  // of data/1.txt and of 2.txt
        bool oldKept;                   // data/1.txt keeps its old content
    };
    const QString io = QStringLiteral("ошибка записи: ошибка ввода-вывода");
    const Case cases[] = {
        {"an interrupted flush", 3, 0, 0, "", "", false},
        {"a file's flush fails", 0, EIO, 0, io, io, true},
        {"a folder's flush fails", 0, 0, EIO, io, io, false},
        {"a full disk at the flush", 0, ENOSPC, 0, "ошибка записи: на диске нет места",
         "ошибка записи: на диске нет места", true},
    };
    for (const Case& c : cases) {
        ProgramFolder f;
        f.write("data/1.txt", "old");
        f.write("2.txt", "old");
        interruptions = c.interruptions;
        fileFault = c.fileFault;
        folderFault = c.folderFault;
        const QStringList failures =
            writeWholeFiles({{f.file("data/1.txt"), "new"}, {f.file("2.txt"), "new"}});
        EXPECT_EQ(failures, (QStringList{c.dataReason, c.topReason})) << c.name;
        if (c.oldKept || c.dataReason.isEmpty()) {
            EXPECT_EQ(f.read("data/1.txt"), c.oldKept ? "old" : "new") << c.name;
        }
        EXPECT_EQ(entries(f.file("data")), QStringList{"1.txt"}) << c.name;
    }
}

// Every error number the writer's calls can meet has its reason in Russian.
TEST(SystemReason, EveryErrorTheWriterCanMeetHasARussianReason) {
    for (const int number :
         {EACCES,    EPERM,     ENOSPC, EDQUOT,  EFBIG,   EROFS,        ENOENT,   EISDIR,     ENOTDIR,
          EMFILE,    ENFILE,    EIO,    EBUSY,   ETXTBSY, ENAMETOOLONG, ELOOP,    EEXIST,     ENOMEM,
          EXDEV,     ESTALE,    ENXIO,  ENODEV,  EINTR,   EAGAIN,       EINVAL,   EOPNOTSUPP, EMLINK,
          ENOTEMPTY, EOVERFLOW, ENOLCK, EDEADLK, EBADF,   ETIMEDOUT,    ENOTCONN, EUCLEAN,    EBADMSG})
        EXPECT_FALSE(ui::systemReason(number).startsWith(QStringLiteral("системная ошибка"))) << number;
    EXPECT_EQ(ui::systemReason(EINTR), QStringLiteral("операция прервана"));
}

// As root a rewritten file keeps its owner; always its group where the user may give it, its mode
// and its access list, whose mask is not taken for group bits.
QByteArray accessList(uid_t user) {
    struct Entry {
        quint16 tag, perm;
        quint32 id;
    };
    // user::rw- user:<user>:rw- group::r-- mask::rw- other::---
    const Entry list[] = {
        {0x01, 6, ~0u}, {0x02, 6, quint32(user)}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
    QByteArray bytes("\x02\0\0\0", 4);
    for (const Entry& e : list) bytes += QByteArray(reinterpret_cast<const char*>(&e), sizeof e);
    return bytes;
}

QByteArray accessListOf(const QString& path) {
    char bytes[4096];
    const ssize_t n =
        ::getxattr(QFile::encodeName(path).constData(), "system.posix_acl_access", bytes, sizeof bytes);
    return n > 0 ? QByteArray(bytes, n) : QByteArray();
}

bool setAccessList(const QString& path, const QByteArray& list) {
    return ::setxattr(QFile::encodeName(path).constData(), "system.posix_acl_access", list.constData(),
                      size_t(list.size()), 0) == 0;
}

TEST_F(WholeFileTest, ARewrittenFileKeepsItsOwnerGroupModeAndAccessList) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no user nobody";
    folder.write("data/1.txt", "old");
    const QString path = folder.file("data/1.txt");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    if (!setAccessList(path, accessList(nobody->pw_uid))) GTEST_SKIP() << "the disk keeps no access lists";
    const struct stat before = statOf(path);
    ASSERT_EQ(before.st_mode & 07777, 0660u);

    ASSERT_EQ(writeWholeFile(path, "new"), "");
    const struct stat after = statOf(path);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0660u);
    EXPECT_EQ(accessListOf(path), accessList(nobody->pw_uid));
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (root) {
        EXPECT_EQ(after.st_uid, nobody->pw_uid);
    }
    EXPECT_EQ(folder.read("data/1.txt"), QByteArray("new"));
}

// As a user whom permissions bind, in a folder everyone may write: a file of root's that the user
// may not write is refused and stays, however the folder would let it be replaced; one the user may
// write is written in its own place and keeps its owner, mode and access list.
TEST_F(WholeFileTest, AFileOfAnotherUserIsReplacedOnlyWhenTheUserMayWriteIt) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to give files to another user";
    struct Case {
        const char* name;
        mode_t mode;
        bool listForNobody;
        QString reason;
    };
    const Case cases[] = {
        {"a.txt", 0644, false, "нет доступа"},
        {"b.txt", 0444, false, "файл только для чтения"},
        {"c.txt", 0600, true, ""},
        {"d.txt", 0666, false, ""},
    };
    ProgramFolder shared;
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 0755), 0);
    QDir(shared.path()).mkdir("data");
    ASSERT_EQ(::chmod(QFile::encodeName(shared.file("data")).constData(), 0777), 0);
    for (const Case& c : cases) {
        shared.write(QStringLiteral("data/") + c.name, "old");
        const QString path = shared.file(QStringLiteral("data/") + c.name);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.mode), 0);
        if (c.listForNobody && !setAccessList(path, accessList(nobody->pw_uid)))
            GTEST_SKIP() << "no access lists";
    }
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        for (const Case& c : cases)
            EXPECT_EQ(writeWholeFile(shared.file(QStringLiteral("data/") + c.name), "new"), c.reason)
                << c.name;
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    for (const Case& c : cases) {
        const QString path = shared.file(QStringLiteral("data/") + c.name);
        EXPECT_EQ(shared.read(QStringLiteral("data/") + c.name), c.reason.isEmpty() ? "new" : "old")
            << c.name;
        const struct stat st = statOf(path);
        EXPECT_EQ(st.st_uid, 0u) << c.name;
        EXPECT_EQ(st.st_gid, 0u) << c.name;
        if (c.listForNobody) {
            EXPECT_EQ(st.st_mode & 07777, 0660u) << c.name;
            EXPECT_EQ(accessListOf(path), accessList(nobody->pw_uid)) << c.name;
        } else {
            EXPECT_EQ(st.st_mode & 07777, c.mode) << c.name;
        }
    }
    EXPECT_EQ(entries(shared.file("data")), (QStringList{"a.txt", "b.txt", "c.txt", "d.txt"}));
}

// prog/data → ../real/data, real/data/1.txt → ../shared/1.txt: the system goes from real/data, so
// the list lies in real/shared, not in the folder prog/shared that a reading of the text would take.
TEST_F(WholeFileTest, AWriteThroughALinkedFolderLandsWhereTheSystemGoes) {
    folder.write("real/shared/1.txt", "old");
    QDir(folder.path()).mkpath("real/data");
    QDir(folder.path()).mkpath("prog/shared");
    ASSERT_TRUE(QFile::link("../real/data", folder.file("prog/data")));
    ASSERT_TRUE(QFile::link("../shared/1.txt", folder.file("real/data/1.txt")));
    ASSERT_TRUE(QFile::link("../shared/2.txt", folder.file("real/data/2.txt")));
    ASSERT_TRUE(QFile::link("3.txt", folder.file("real/data/3.txt")));

    EXPECT_EQ(writeWholeFile(folder.file("prog/data/1.txt"), "new"), "");
    EXPECT_EQ(folder.read("real/shared/1.txt"), QByteArray("new"));
    EXPECT_EQ(readWholeFile(folder.file("prog/data/1.txt")), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(folder.file("real/data/1.txt")).isSymLink());
    // A link that leads nowhere makes the file it leads to, and stays a link.
    EXPECT_EQ(writeWholeFile(folder.file("prog/data/2.txt"), "first"), "");
    EXPECT_EQ(folder.read("real/shared/2.txt"), QByteArray("first"));
    EXPECT_TRUE(QFileInfo(folder.file("real/data/2.txt")).isSymLink());
    EXPECT_EQ(entries(folder.file("prog/shared")), QStringList{});
    EXPECT_EQ(entries(folder.file("real/shared")), (QStringList{"1.txt", "2.txt"}));
    // A link to itself is refused, and stays.
    EXPECT_EQ(writeWholeFile(folder.file("prog/data/3.txt"), "x"), "ссылки в пути к файлу ведут по кругу");
    EXPECT_TRUE(QFileInfo(folder.file("real/data/3.txt")).isSymLink());
}

// A named pipe or a device in a file's place: read and write are refused at once with the reason,
// and the thing stays as it was.
TEST_F(WholeFileTest, WhatIsNoPlainFileIsRefusedAtOnceForReadingAndWriting) {
    QDir(folder.path()).mkdir("data");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file("data/lang.txt")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link("/dev/null", folder.file("data/1.txt")));
    runInChild([&] {
        ::alarm(20);  // a read that waits for a writer ends the check instead of hanging it
        for (const char* name : {"data/lang.txt", "data/1.txt"}) {
            QString error;
            bool exists = false;
            EXPECT_EQ(readWholeFile(folder.file(name), &error, &exists), QByteArray()) << name;
            EXPECT_TRUE(exists) << name;
            EXPECT_EQ(error, "не обычный файл") << name;
            EXPECT_EQ(writeWholeFile(folder.file(name), "Rus\r\n"), "не обычный файл") << name;
        }
    });
    EXPECT_TRUE(S_ISFIFO(statOf(folder.file("data/lang.txt")).st_mode));
    EXPECT_TRUE(QFileInfo(folder.file("data/1.txt")).isSymLink());
    EXPECT_EQ(entries(folder.file("data")), (QStringList{"1.txt", "lang.txt"}));
}

}  // namespace
