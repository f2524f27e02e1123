// A new file under the first free name of a scheme: never over a file that is there, also when
// several writers race for the names, and whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <set>
#include <thread>
#include <vector>

#include "common/whole_file.h"
#include "support/child_process.h"
#include "support/program_folder.h"

namespace {

// "b", "b.1", "b.2", …
std::function<QString(int)> numbered(const QString& first) {
    return [first](int n) { return n == 0 ? first : QStringLiteral("%1.%2").arg(first).arg(n); };
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

}  // namespace

TEST(NewWholeFile, TakesTheFirstFreeNameAndLeavesWhatHoldsTheOthersAsItWas) {
    ProgramFolder folder;
    folder.write("b", "old b");
    folder.write("b.1", "old b.1");
    ASSERT_TRUE(QFile::link(folder.file("nowhere"), folder.file("b.2")));  // a link that leads nowhere
    ASSERT_TRUE(QDir(folder.path()).mkdir("b.3"));
    QString written;
    EXPECT_EQ(writeNewWholeFile(numbered(folder.file("b")), "new", written).toStdString(), "");
    EXPECT_EQ(written, folder.file("b.4"));
    EXPECT_EQ(folder.read("b.4"), "new");
    EXPECT_EQ(folder.read("b"), "old b");
    EXPECT_EQ(folder.read("b.1"), "old b.1");
    EXPECT_TRUE(QFileInfo(folder.file("b.2")).isSymLink());
    EXPECT_FALSE(folder.exists("nowhere"));
    EXPECT_EQ(entries(folder.file("b.3")), QStringList());
    EXPECT_EQ(entries(folder.path()), (QStringList{"b", "b.1", "b.2", "b.3", "b.4"}));

    // The first name free: taken, and nothing else is made.
    ProgramFolder empty;
    EXPECT_EQ(writeNewWholeFile(numbered(empty.file("b")), "", written).toStdString(), "");
    EXPECT_EQ(written, empty.file("b"));
    EXPECT_EQ(entries(empty.path()), QStringList{"b"});
}

// A file kept for another (the backup of an unreadable student base) may be read only by those who
// may read the original, whatever the umask would give a new file.
TEST(NewWholeFile, AFileKeptForAnotherHasItsGroupAndMode) {
    ProgramFolder folder;
    folder.write("2.xml", "the students' names");
    const QByteArray original = QFile::encodeName(folder.file("2.xml"));
    ASSERT_EQ(::chmod(original.constData(), 0640), 0);
    // A group of the system's other than the user's own, where the system lets it be given.
    const gid_t group = ::geteuid() == 0 ? 1 : ::getegid();
    ASSERT_EQ(::chown(original.constData(), uid_t(-1), group), 0);
    const mode_t umask = ::umask(022);
    QString written;
    const QString failure = writeNewWholeFile([&](int n) { return backupName(folder.file("2.xml"), n); },
                                              "the students' names", written, folder.file("2.xml"));
    ::umask(umask);
    EXPECT_EQ(failure.toStdString(), "");
    EXPECT_EQ(written, folder.file("2.xml.bak"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(written).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_gid, group);
}

// With a replacing rename, writers that found the same name free would each replace the one before.
TEST(NewWholeFile, WritersRacingForTheSameNamesEachTakeOneOfTheirOwn) {
    ProgramFolder folder;
    constexpr int kWriters = 12;
    std::vector<QString> names(kWriters), failures(kWriters);
    std::atomic<int> ready = 0;
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] {
            ++ready;
            while (ready < kWriters) std::this_thread::yield();
            failures[size_t(i)] = writeNewWholeFile(numbered(folder.file("b")),
                                                    "writer " + QByteArray::number(i), names[size_t(i)]);
        });
    }
    for (std::thread& t : writers) t.join();
    std::set<QString> taken;
    for (int i = 0; i < kWriters; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(failures[size_t(i)].toStdString(), "");
        EXPECT_TRUE(taken.insert(names[size_t(i)]).second) << names[size_t(i)].toStdString();
        EXPECT_EQ(folder.read(QFileInfo(names[size_t(i)]).fileName()), "writer " + QByteArray::number(i));
    }
    EXPECT_EQ(entries(folder.path()).size(), kWriters);  // no temporary file is left
}

TEST(NewWholeFile, AFileThatCannotBeWrittenTakesNoNameAndLeavesNothing) {
    ProgramFolder folder;
    folder.write("b", "old b");
    QString written;
    // A folder that is not there.
    EXPECT_NE(writeNewWholeFile(numbered(folder.file("missing/b")), "new", written), "");
    EXPECT_EQ(written, folder.file("missing/b"));
    // A disk with no room for the whole content.
    runInChild([&] {
        limitFileSize(100);
        const QString failure = writeNewWholeFile(numbered(folder.file("b")), QByteArray(1000, 'x'), written);
        EXPECT_TRUE(failure.startsWith(QStringLiteral("ошибка записи: "))) << failure.toStdString();
        EXPECT_EQ(written, folder.file("b"));
    });
    EXPECT_EQ(folder.read("b"), "old b");
    EXPECT_EQ(entries(folder.path()), QStringList{"b"});
}

// A name taken whose folder could not be flushed may not outlive a power cut: it is given up again,
// so that the next try takes the same name instead of leaving two copies of one content.
static int failingFolderFlush(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

TEST(NewWholeFile, ANameWhoseFolderCannotBeFlushedIsGivenUpAndTakenAgainByTheNextTry) {
    ProgramFolder folder;
    folder.write("b", "old b");
    QString written;
    setFlushForTests(&failingFolderFlush);
    EXPECT_EQ(writeNewWholeFile(numbered(folder.file("b")), "new", written),
              QStringLiteral("ошибка записи: ошибка ввода-вывода"));
    setFlushForTests(nullptr);
    EXPECT_EQ(written, folder.file("b.1"));
    EXPECT_EQ(entries(folder.path()), QStringList{"b"});
    EXPECT_EQ(writeNewWholeFile(numbered(folder.file("b")), "new", written).toStdString(), "");
    EXPECT_EQ(entries(folder.path()), (QStringList{"b", "b.1"}));
}
