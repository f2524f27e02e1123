// A file with several names written in its own place: behind a flushed copy of its old content and a
// mark naming it, so that a kill at any step, a later save through another name, a clearing that
// runs meanwhile or a reader never sees or brings back anything but a whole content, and never an
// older one over a save that was done.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "common/leftovers.h"
#include "common/whole_file.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"
#include "support/child_process.h"
#include "support/flushes.h"
#include "support/held_file.h"
#include "support/program_folder.h"

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

QStringList ownFiles(const QString& folder) {
    return entries(folder).filter(QStringLiteral(".~"));
}

void link(const QString& from, const QString& to) {
    ASSERT_EQ(::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_ino;
}

// The content every reader of the program gets.
QByteArray readThrough(const QString& path) {
    QString error;
    const QByteArray bytes = readWholeFile(path, &error);
    EXPECT_EQ(error, "") << path.toStdString();
    return bytes;
}

// What the flushes of a save were: a file by its name, a folder by its path and "/".
std::mutex flushedMutex;
QStringList flushed;

int observedFlush(int fd) {
    const std::lock_guard lock(flushedMutex);
    flushed << flushedName(fd);
    return ::fsync(fd);
}

// A disk that fails every flush from the `failFrom`th of a save on, as a disk going bad does.
std::atomic<int> flushes{0}, failFrom{0};

int failingFlush(int fd) {
    if (++flushes >= failFrom) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

// data/1.txt in the program folder, and the same file as shared/1.txt: another program folder's
// list, or any other name of it.
class InPlaceTest : public testing::Test {
protected:
    void SetUp() override {
        ui::setProgramFolder(folder.path());
        folder.write("data/1.txt", old);
        QDir(folder.path()).mkdir("shared");
        link(file, other);
    }
    void TearDown() override { setFlushForTests(nullptr); }

    ProgramFolder folder;
    const QString file = folder.file("data/1.txt");
    const QString other = folder.file("shared/1.txt");
    const QByteArray old = "Колледж\r\nЛицей\r\n";
    const QByteArray fresh = "Колледж\r\nЛицей\r\nУниверситет\r\nАкадемия\r\n";
};

TEST_F(InPlaceTest, EveryNameTakesTheNewContentBehindAFlushedCopyAndAMarkAndNothingIsLeft) {
    const ino_t inode = inodeOf(file);
    setFlushForTests(&observedFlush);
    EXPECT_EQ(writeWholeFile(file, fresh), "");
    EXPECT_EQ(folder.read("shared/1.txt"), fresh);
    EXPECT_EQ(inodeOf(file), inode);
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    // The copy, under the name of a new content until it is whole; its name on the disk; the mark;
    // the new content; the cut that takes the mark away. No folder flush after: a copy that came
    // back is named by no mark, and goes at the next start.
    ASSERT_EQ(flushed.size(), 5) << flushed.join(", ").toStdString();
    EXPECT_TRUE(flushed[0].startsWith("1.txt.~") && flushed[0].endsWith(".new")) << flushed[0].toStdString();
    EXPECT_EQ(flushed.mid(1), (QStringList{folder.file("data") + "/", "1.txt", "1.txt", "1.txt"}));
}

// A kill at each step of the write: until the next start every name reads the old content or the
// new one whole; the start leaves each name holding that content and nothing else behind.
TEST_F(InPlaceTest, AKillAtAnyStepLeavesEveryNameReadingAWholeContentAndTheStartSettlesIt) {
    struct Case {
        InPlaceFlush killedAt;
        bool newContent;  // what the names read
    };
    const Case cases[] = {
        {CopyFlush, false},    {CopyFolderFlush, false}, {MarkFlush, false},
        {ContentFlush, false}, {CutFlush, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.killedAt);
        ASSERT_EQ(writeWholeFile(file, old), "");
        killSaveAtFlush(file, fresh, c.killedAt);
        const QByteArray expected = c.newContent ? fresh : old;
        EXPECT_EQ(ownFiles(folder.file("data")).size(), 1);
        EXPECT_EQ(readThrough(file), expected);
        EXPECT_EQ(readThrough(other), expected);

        clearLeftovers({file});
        EXPECT_EQ(folder.read("shared/1.txt"), expected);
        EXPECT_EQ(folder.read("data/1.txt"), expected);
        EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    }
}

// Flushes that fail from some step on: the save fails; while the file bears the mark it reads as
// its old content, and once the cut took the mark away, as the new one, whole and flushed, whose cut
// alone may not be on the disk: the copy stays for the start, which finds no mark and removes it.
TEST_F(InPlaceTest, FlushesThatFailFromAnyStepOnLeaveEveryNameReadingAWholeContent) {
    for (const InPlaceFlush from : {CopyFlush, CopyFolderFlush, MarkFlush, ContentFlush, CutFlush}) {
        SCOPED_TRACE(from);
        ASSERT_EQ(writeWholeFile(file, old), "");
        flushes = 0;
        failFrom = from;
        setFlushForTests(&failingFlush);
        EXPECT_EQ(writeWholeFile(file, fresh), "ошибка записи: ошибка ввода-вывода");
        setFlushForTests(nullptr);
        const QByteArray expected = from == CutFlush ? fresh : old;
        EXPECT_EQ(readThrough(other), expected);
        clearLeftovers({file});
        EXPECT_EQ(folder.read("shared/1.txt"), expected);
        EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    }
}

// A program folder moved or copied whole (a backup brought back, a memory stick mounted again) after
// a kill: its file still bears the mark, and the copy beside it, found by its token, goes back.
TEST_F(InPlaceTest, AFolderMovedOrCopiedAfterAKillStillHasItsCopyPutBack) {
    for (const char* how : {"mv", "cp -a"}) {
        SCOPED_TRACE(how);
        QTemporaryDir parent(QDir::tempPath() + "/velmox-test-XXXXXX");
        const QString prog = parent.path() + "/prog", moved = parent.path() + "/moved";
        folder.write("data/1.txt", old);
        QDir().mkpath(prog + "/data");
        ASSERT_TRUE(QFile::copy(file, prog + "/data/1.txt"));
        link(prog + "/data/1.txt", prog + "/data/1-alias.txt");
        ui::setProgramFolder(prog);
        killSaveAtFlush(prog + "/data/1.txt", fresh, ContentFlush);
        ASSERT_EQ(std::system(qPrintable(QStringLiteral("%1 %2 %3").arg(how, prog, moved))), 0);
        ASSERT_EQ(std::system(qPrintable("rm -rf " + prog)), 0);
        ui::setProgramFolder(moved);
        EXPECT_EQ(readThrough(moved + "/data/1-alias.txt"), old);
        clearLeftovers({moved + "/data/1.txt"});
        QFile alias(moved + "/data/1-alias.txt");
        ASSERT_TRUE(alias.open(QIODevice::ReadOnly));
        EXPECT_EQ(alias.readAll(), old);
        EXPECT_EQ(ownFiles(moved + "/data"), QStringList());
    }
}

// Whoever may read the file may read its copy: it has the file's owner and group where the system
// lets them be given, and the file's mode.
TEST_F(InPlaceTest, TheCopyHasTheFilesOwnerGroupAndMode) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to give files to another user";
    ASSERT_EQ(::chown(QFile::encodeName(file).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    killSaveAtFlush(file, fresh, ContentFlush);
    const QStringList copies = ownFiles(folder.file("data"));
    ASSERT_EQ(copies.size(), 1);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.file("data/" + copies[0])).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, nobody->pw_uid);
    EXPECT_EQ(st.st_gid, nobody->pw_gid);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Once the write passed the mark, the raw file is neither content: that is what the mark is for.
// A reader of a marked file whose copy is gone is told so instead of reading a mix, and the next
// start puts the file aside as it lies, under its first free backup name, so that it is no longer
// named unfinished at every start and the next save writes it anew.
TEST_F(InPlaceTest, AMarkedFileReadsAsItsCopyAndWithoutItIsPutAsideByTheStart) {
    killSaveAtFlush(file, fresh, ContentFlush);
    const QByteArray raw = folder.read("data/1.txt");
    EXPECT_NE(raw, old);
    EXPECT_NE(raw, fresh);
    EXPECT_TRUE(raw.startsWith(fresh));
    EXPECT_EQ(readThrough(other), old);

    ASSERT_EQ(ownFiles(folder.file("data")).size(), 1);
    ASSERT_TRUE(QFile::remove(folder.file("data/" + ownFiles(folder.file("data"))[0])));
    QString error;
    EXPECT_EQ(readWholeFile(other, &error), QByteArray());
    EXPECT_TRUE(error.startsWith("файл не дописан: его запись прервана, а копии прежнего содержимого нет"))
        << error.toStdString();
    // A save that fails leaves it as it was found, still named unfinished rather than read as a mix.
    flushes = 0;
    failFrom = ContentFlush;
    setFlushForTests(&failingFlush);
    EXPECT_NE(writeWholeFile(file, "v3\r\n"), "");
    setFlushForTests(nullptr);
    EXPECT_EQ(readWholeFile(other, &error), QByteArray());
    EXPECT_FALSE(error.isEmpty());

    folder.write("data/1.txt.bak", "the operator's own");
    const std::vector<SetAsideFile> aside = clearLeftovers({file});
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(QFileInfo(aside[0].file), QFileInfo(file));
    EXPECT_EQ(QFileInfo(aside[0].backup), QFileInfo(folder.file("data/1.txt.1.bak")));
    EXPECT_EQ(folder.read("data/1.txt.1.bak"), raw);
    EXPECT_EQ(folder.read("data/1.txt.bak"), QByteArray("the operator's own"));
    // The file's other name keeps it: the bytes put aside are a file of their own, which a save
    // through that name leaves as they are.
    EXPECT_NE(inodeOf(folder.file("data/1.txt.1.bak")), inodeOf(other));
    EXPECT_EQ(writeWholeFile(other, "v4\r\n"), "");
    EXPECT_EQ(folder.read("data/1.txt.1.bak"), raw);
    bool exists = true;
    EXPECT_EQ(readWholeFile(file, &error, &exists), QByteArray());
    EXPECT_FALSE(exists);
    EXPECT_EQ(error, "");
    EXPECT_EQ(writeWholeFile(file, "v3\r\n"), "");
    EXPECT_EQ(folder.read("data/1.txt"), QByteArray("v3\r\n"));
    EXPECT_EQ(clearLeftovers({file}).size(), 0u);
}

// The copy's head holds its content's length and checksum. A copy whose token was edited, whose
// content was cut or changed is never read or put back as the old content, nor removed while the
// file's mark names it: the start puts the file aside, and the copy stays beside it.
TEST_F(InPlaceTest, ACopyThatIsNotWholeIsNeverPutBackNorRemovedWhileAMarkNamesIt) {
    const struct {
        const char* what;
        std::function<QByteArray(QByteArray)> change;  // the copy's bytes, changed
    } cases[] = {
        {"its token edited",
         [](QByteArray b) {
             const qsizetype at = b.indexOf("velmox copy ") + 12;
             b[at] = b[at] == 'f' ? 'e' : 'f';
             return b;
         }},
        {"its content cut", [](QByteArray b) { return b.chopped(5); }},
        {"its content changed",
         [](QByteArray b) {
             b[b.size() - 3] = 'X';
             return b;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("data/1.txt", old);
        if (!QFileInfo::exists(other)) link(file, other);
        killSaveAtFlush(file, fresh, ContentFlush);
        const QByteArray raw = folder.read("data/1.txt");
        const QStringList copies = ownFiles(folder.file("data"));
        ASSERT_EQ(copies.size(), 1);
        const QString copy = "data/" + copies[0];
        const QByteArray changed = c.change(folder.read(copy));
        folder.write(copy, changed);
        QString error;
        EXPECT_EQ(readWholeFile(other, &error), QByteArray());
        EXPECT_FALSE(error.isEmpty());

        const std::vector<SetAsideFile> aside = clearLeftovers({file});
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(folder.read("data/1.txt.bak"), raw);
        EXPECT_FALSE(folder.exists("data/1.txt"));
        // It may hold the only intact old content: the start names it.
        ASSERT_EQ(aside[0].copies.size(), 1);
        EXPECT_EQ(QFileInfo(aside[0].copies[0]), QFileInfo(folder.file(copy)));
        EXPECT_EQ(folder.read(copy), changed);
        // Nothing more happens at the next start, and the next save writes the file anew.
        EXPECT_TRUE(clearLeftovers({file}).empty());
        EXPECT_EQ(folder.read(copy), changed);
        EXPECT_EQ(writeWholeFile(file, "v3\r\n"), "");
        EXPECT_EQ(readThrough(file), QByteArray("v3\r\n"));
        for (const QString& name : {QStringLiteral("data/1.txt.bak"), copy})
            ASSERT_TRUE(QFile::remove(folder.file(name)));
        ASSERT_TRUE(QFile::remove(other));
    }
}

// A copy made by an earlier version, whose head holds no length or checksum, is still put back.
TEST_F(InPlaceTest, ACopyOfAnEarlierVersionIsStillPutBack) {
    killSaveAtFlush(file, fresh, ContentFlush);
    const QString copy = "data/" + ownFiles(folder.file("data")).value(0);
    QByteArray bytes = folder.read(copy);
    const qsizetype end = bytes.indexOf('\n');
    QList<QByteArray> fields = bytes.left(end).split(' ');
    ASSERT_EQ(fields.size(), 7);  // "velmox", "copy", token, device, inode, length, checksum
    bytes = fields.mid(0, 5).join(' ') + bytes.mid(end);
    folder.write(copy, bytes);
    EXPECT_EQ(readThrough(other), old);
    EXPECT_TRUE(clearLeftovers({file}).empty());
    EXPECT_EQ(folder.read("data/1.txt"), old);
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
}

// Two killed saves, the later one's copy cut since: the earlier copy, outdated by the later mark, is
// the only whole old content left, and the start keeps it while it puts the file aside.
TEST_F(InPlaceTest, AnOutdatedCopyStaysWhileTheLaterMarksCopyIsNotWhole) {
    killSaveAtFlush(file, fresh, ContentFlush);
    const QStringList first = ownFiles(folder.file("data"));
    ASSERT_EQ(first.size(), 1);
    killSaveAtFlush(file, "third\r\n", ContentFlush);
    QStringList second = ownFiles(folder.file("data"));
    second.removeAll(first[0]);
    ASSERT_EQ(second.size(), 1);
    folder.write("data/" + second[0], folder.read("data/" + second[0]).chopped(3));
    EXPECT_EQ(clearLeftovers({file}).size(), 1u);
    EXPECT_TRUE(folder.exists("data/" + first[0]));
    EXPECT_TRUE(folder.read("data/" + first[0]).endsWith(old));
}

// A file of the program folder that shares its content with an exported file (a hard link), whose
// export was killed: the program folder then holds a note of the copy's own name. The note is no
// copy: the file is read, saved and put aside by what the copy itself holds.
TEST_F(InPlaceTest, ANoteOfTheCopysNameBesideTheFileIsNoCopy) {
    ProgramFolder elsewhere;
    elsewhere.write("docs/out.xml", old);
    link(elsewhere.file("docs/out.xml"), folder.file("2.xml"));
    killSaveAtFlush(elsewhere.file("docs/out.xml"), fresh, ContentFlush + 1);
    const QStringList copies = ownFiles(elsewhere.file("docs"));
    ASSERT_EQ(copies.size(), 1);
    ASSERT_TRUE(QFileInfo(folder.file(copies[0])).isSymLink());
    EXPECT_EQ(readThrough(folder.file("2.xml")), old);
    // The copy cut: nothing whole is left, and the start puts the file aside rather than naming a
    // circle of links at every start.
    elsewhere.write("docs/" + copies[0], elsewhere.read("docs/" + copies[0]).chopped(2));
    QString error;
    EXPECT_EQ(readWholeFile(folder.file("2.xml"), &error), QByteArray());
    EXPECT_TRUE(error.startsWith("файл не дописан")) << error.toStdString();
    EXPECT_EQ(clearLeftovers({folder.file("2.xml")}).size(), 1u);
    EXPECT_EQ(writeWholeFile(folder.file("2.xml"), "v3\r\n"), "");
    EXPECT_EQ(readThrough(folder.file("2.xml")), QByteArray("v3\r\n"));
}

// A save through one name waits for the file while another program holds it, and meanwhile the
// file is put aside and a new one takes the name: the save writes the file the name leads to once it
// has the lock, never the one put aside.
TEST_F(InPlaceTest, ASaveThatWaitedWritesTheFileTheNameLeadsToNow) {
    std::optional<HeldFile> holder(std::in_place, file);
    QString failure = "not run";
    std::thread save([&] { failure = writeWholeFile(file, "saved\r\n"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the save waits for the lock
    ASSERT_EQ(::rename(QFile::encodeName(file).constData(), QFile::encodeName(file + ".bak").constData()), 0);
    folder.write("data/1.txt", "the new file\r\n");
    link(file, folder.file("data/1-alias.txt"));
    holder.reset();
    save.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(folder.read("data/1.txt"), QByteArray("saved\r\n"));
    EXPECT_EQ(folder.read("data/1.txt.bak"), old);
    EXPECT_EQ(folder.read("shared/1.txt"), old);
}

// A copy that lies there but cannot be read (a folder this user may not enter, a disk error) may be
// the only whole old content: a save through the file fails with that reason, naming the copy, the
// one file whose repair ends it, and leaves the file and the copy as they were; a start that can read
// it puts it back.
TEST_F(InPlaceTest, ASaveThatCannotReadTheCopyFailsNamingItAndKeepsIt) {
    ProgramFolder elsewhere;
    const QString shared = elsewhere.file("1.txt");
    link(file, shared);
    killSaveAtFlush(shared, fresh, ContentFlush + 1);  // the copy lies beside the other name
    const QByteArray raw = folder.read("data/1.txt");
    ASSERT_EQ(ownFiles(elsewhere.path()).size(), 1);
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700), 0);
    const QString copy = elsewhere.path() + '/' + ownFiles(elsewhere.path()).front();
    const QString reason =
        "его прежнее содержимое хранит копия «" + ui::shownPath(copy) + "», а она не читается: нет доступа";
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        EXPECT_EQ(writeWholeFile(file, "v3\r\n"), reason);
        QString error;
        EXPECT_EQ(readWholeFile(file, &error), QByteArray());
        EXPECT_EQ(error, reason);
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(folder.read("data/1.txt"), raw);
    EXPECT_EQ(ownFiles(elsewhere.path()).size(), 1);
    EXPECT_TRUE(clearLeftovers({file}).empty());
    EXPECT_EQ(folder.read("data/1.txt"), old);
    EXPECT_EQ(ownFiles(elsewhere.path()), QStringList());
}

// A marked file left with one name is replaced whole while another program reads it: the save waits
// for the reader, as every save of a file waits for its readers, then leaves no copy behind, and the
// reader still reads the old content it opened.
TEST_F(InPlaceTest, AMarkedFileReplacedWhileReadWaitsForTheReaderAndLeavesNoCopy) {
    killSaveAtFlush(file, fresh, ContentFlush);
    ASSERT_TRUE(QFile::remove(other));
    auto reader = std::make_unique<FileReader>(file);
    ASSERT_EQ(reader->error(), "");
    QString failure = "not yet";
    std::thread save([&] {
        const ui::FileWaitScope action;
        failure = writeWholeFile(file, "replaced\r\n");
    });
    QByteArray read(1024, '\0');
    read.resize(reader->read(read.data(), read.size()));
    EXPECT_EQ(read, old);
    reader.reset();
    save.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    EXPECT_EQ(readThrough(file), QByteArray("replaced\r\n"));
}

// X's save is killed; then the file is saved through another name (another program folder, or an
// alias in the same one) and that save is reported done. X's next start must not bring back X's old
// content over it, whether X was killed while the file bore its mark or after.
TEST_F(InPlaceTest, ASaveThroughAnotherNameAfterAKilledSaveIsNeverUndone) {
    link(file, folder.file("data/1-alias.txt"));
    for (const QString& through : {other, folder.file("data/1-alias.txt")})
        for (const InPlaceFlush killedAt : {MarkFlush, ContentFlush, CutFlush}) {
            SCOPED_TRACE(through.toStdString() + " " + std::to_string(killedAt));
            ASSERT_EQ(writeWholeFile(file, old), "");
            killSaveAtFlush(file, fresh, killedAt);
            EXPECT_EQ(writeWholeFile(through, "v3\r\n"), "");
            clearLeftovers({file});
            for (const char* name : {"data/1.txt", "shared/1.txt", "data/1-alias.txt"})
                EXPECT_EQ(folder.read(name), QByteArray("v3\r\n")) << name;
            EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
        }
}

// After the kill the operator puts a good file of their own in place of the name. The start never
// writes the copy into it; the copy stays, for the file's other name still reads through it, until
// a save through that name settles it.
TEST_F(InPlaceTest, AFileTheOperatorPutInThePlaceOfTheNameIsNeverOverwritten) {
    killSaveAtFlush(file, fresh, ContentFlush);
    folder.write("mine.txt", "the operator's own\r\n");
    ASSERT_EQ(
        ::rename(QFile::encodeName(folder.file("mine.txt")).constData(), QFile::encodeName(file).constData()),
        0);
    clearLeftovers({file});
    EXPECT_EQ(folder.read("data/1.txt"), QByteArray("the operator's own\r\n"));
    EXPECT_EQ(ownFiles(folder.file("data")).size(), 1);
    EXPECT_EQ(readThrough(other), old);

    EXPECT_EQ(writeWholeFile(other, "v3\r\n"), "");
    clearLeftovers({file, other});
    EXPECT_EQ(folder.read("data/1.txt"), QByteArray("the operator's own\r\n"));
    EXPECT_EQ(folder.read("shared/1.txt"), QByteArray("v3\r\n"));
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
}

// One save is paused halfway while a start's clearing of an older killed save's copy runs. The
// clearing never waits for the file a running save holds: it leaves it to that save, which, once
// done, takes the older copy with its own, whether it came through the same name or another.
std::atomic<bool> pauseArmed{false};
std::promise<void> paused;
std::shared_future<void> resume;
std::thread::id pausedThread;

int pausingFlush(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    if (S_ISREG(st.st_mode) && pauseArmed.load() && std::this_thread::get_id() == pausedThread &&
        pauseArmed.exchange(false)) {
        paused.set_value();
        resume.wait();
    }
    return ::fsync(fd);
}

TEST_F(InPlaceTest, AClearingLeavesTheFileOfARunningSaveWithoutWaitingForIt) {
    for (const QString& through : {file, other}) {
        SCOPED_TRACE(through.toStdString());
        ASSERT_EQ(writeWholeFile(file, old), "");
        killSaveAtFlush(file, "killed save's content\r\n", ContentFlush);
        paused = {};
        std::promise<void> go;
        resume = go.get_future().share();
        setFlushForTests(&pausingFlush);
        std::thread save([&] {
            pausedThread = std::this_thread::get_id();
            pauseArmed = true;
            EXPECT_EQ(writeWholeFile(through, "2640\r\n").toStdString(), "");
        });
        paused.get_future().wait();  // the save holds the file, its copy made
        {
            const ui::FileWaitScope start;
            clearLeftovers({file});
            EXPECT_EQ(ui::fileWaitLeft(), std::chrono::nanoseconds(ui::kFileWaitBudget));
        }
        go.set_value();
        save.join();
        setFlushForTests(nullptr);
        EXPECT_EQ(folder.read("data/1.txt"), QByteArray("2640\r\n"));
        EXPECT_EQ(folder.read("shared/1.txt"), QByteArray("2640\r\n"));
        EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    }
}

// A file written in place again and again, alternately long and short: a reader through the other
// name gets one of the two contents whole every time.
TEST_F(InPlaceTest, AReaderNeverSeesAMixOfTwoContents) {
    const QByteArray longContent = QByteArray(20000, 'L') + '\n';
    const QByteArray shortContent = QByteArray(100, 's') + '\n';
    ASSERT_EQ(writeWholeFile(file, shortContent), "");
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) EXPECT_EQ(writeWholeFile(file, i % 2 ? shortContent : longContent), "");
        done = true;
    });
    int reads = 0;
    while (!done || reads < 200) {
        const QByteArray bytes = readThrough(other);
        ASSERT_TRUE(bytes == longContent || bytes == shortContent) << bytes.size() << " bytes";
        ++reads;
    }
    writer.join();
}

// A full disk halfway through the new content: the old content goes back at once, under every name.
TEST_F(InPlaceTest, AFullDiskMidwayPutsTheOldContentBackAtOnce) {
    runInChild([&] {
        limitFileSize(100);
        EXPECT_EQ(writeWholeFile(file, QByteArray(1000, 'x')), "ошибка записи: файл слишком велик");
    });
    EXPECT_EQ(folder.read("shared/1.txt"), old);
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
}

// An export over a file with several names outside the program folder, where no start clears: the
// copy beside it is noted in the program folder, and the start follows the note and settles it.
TEST_F(InPlaceTest, AWriteInPlaceWhereNoStartClearsIsNotedAndSettledByTheStart) {
    ProgramFolder elsewhere;
    elsewhere.write("docs/out.xml", old);
    link(elsewhere.file("docs/out.xml"), elsewhere.file("docs/out-link.xml"));
    // The copy, its folder, the note's folder, the mark, then the kill before the content's flush.
    killSaveAtFlush(elsewhere.file("docs/out.xml"), fresh, ContentFlush + 1);
    const QStringList copies = ownFiles(elsewhere.file("docs"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(ownFiles(folder.path()), copies);
    EXPECT_TRUE(QFileInfo(folder.file(copies[0])).isSymLink());
    EXPECT_EQ(readThrough(elsewhere.file("docs/out-link.xml")), old);

    // An operator's link of that form, to something else, is no note.
    ASSERT_TRUE(QFile::link(folder.file("data/1.txt"), folder.file("mine.txt.~0000abc.old")));
    clearNotedCopies();
    EXPECT_EQ(elsewhere.read("docs/out-link.xml"), old);
    EXPECT_EQ(ownFiles(elsewhere.file("docs")), QStringList());
    EXPECT_EQ(ownFiles(folder.path()), QStringList{"mine.txt.~0000abc.old"});

    // A save that is done takes its note with its copy.
    EXPECT_EQ(writeWholeFile(elsewhere.file("docs/out.xml"), fresh), "");
    EXPECT_EQ(elsewhere.read("docs/out-link.xml"), fresh);
    EXPECT_EQ(ownFiles(folder.path()), QStringList{"mine.txt.~0000abc.old"});

    // A start while the export's folder is away (a memory stick not plugged in) keeps the note for
    // the start that finds it again.
    killSaveAtFlush(elsewhere.file("docs/out.xml"), old, ContentFlush + 1);
    const QString away = elsewhere.file("docs-away");
    ASSERT_EQ(
        ::rename(QFile::encodeName(elsewhere.file("docs")).constData(), QFile::encodeName(away).constData()),
        0);
    clearNotedCopies();
    EXPECT_EQ(ownFiles(folder.path()).size(), 2);
    // Nor does the empty folder a stick's mount point leaves while the stick is away.
    ASSERT_TRUE(QDir(elsewhere.path()).mkdir("docs"));
    clearNotedCopies();
    EXPECT_EQ(ownFiles(folder.path()).size(), 2);
    ASSERT_TRUE(QDir(elsewhere.path()).rmdir("docs"));
    ASSERT_EQ(
        ::rename(QFile::encodeName(away).constData(), QFile::encodeName(elsewhere.file("docs")).constData()),
        0);
    clearNotedCopies();
    EXPECT_EQ(elsewhere.read("docs/out-link.xml"), fresh);
    EXPECT_EQ(ownFiles(folder.path()), QStringList{"mine.txt.~0000abc.old"});
}

// An export written in place into the program folder itself needs no note: the start settles every
// copy of the routine's making in the folders it clears.
TEST_F(InPlaceTest, AWriteInPlaceIntoTheProgramFolderIsSettledByTheStart) {
    folder.write("out.xml", old);
    link(folder.file("out.xml"), folder.file("out-link.xml"));
    killSaveAtFlush(folder.file("out.xml"), fresh, ContentFlush);
    clearLeftovers({folder.file("1.xml"), file});
    EXPECT_EQ(folder.read("out-link.xml"), old);
    EXPECT_EQ(ownFiles(folder.path()), QStringList());
}

// The operator copies the marked file into another program folder (a plain copy, mark and all). The
// copy reads as the old content through the original's copy, and a save there leaves that copy to
// the file it belongs to, whether the new file is replaced whole or written in its own place.
TEST_F(InPlaceTest, AMarkedFileCopiedElsewhereNeverTakesTheOriginalsCopy) {
    for (const bool twoNames : {false, true}) {
        SCOPED_TRACE(twoNames);
        ASSERT_EQ(writeWholeFile(file, old), "");
        killSaveAtFlush(file, fresh, ContentFlush);
        ProgramFolder elsewhere;
        QDir(elsewhere.path()).mkdir("data");
        ASSERT_TRUE(QFile::copy(file, elsewhere.file("data/1.txt")));
        if (twoNames) link(elsewhere.file("data/1.txt"), elsewhere.file("data/1-alias.txt"));
        ui::setProgramFolder(elsewhere.path());
        clearLeftovers({elsewhere.file("data/1.txt")});
        EXPECT_EQ(readThrough(elsewhere.file("data/1.txt")), old);
        EXPECT_EQ(writeWholeFile(elsewhere.file("data/1.txt"), "another list\r\n"), "");

        ui::setProgramFolder(folder.path());
        EXPECT_EQ(readThrough(other), old);
        clearLeftovers({file});
        EXPECT_EQ(folder.read("shared/1.txt"), old);
        EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    }
}

// Two program folders share a list; a save through the other folder's name was killed, so the copy
// lies there. This folder's start finds the file marked and puts the copy back from where it lies.
TEST_F(InPlaceTest, AStartSettlesAMarkWhoseCopyLiesInAnotherProgramFolder) {
    killSaveAtFlush(other, fresh, ContentFlush + 1);  // its copy lies outside this program folder
    ASSERT_EQ(ownFiles(folder.file("shared")).size(), 1);
    clearLeftovers({file});
    EXPECT_EQ(folder.read("data/1.txt"), old);
    EXPECT_EQ(ownFiles(folder.file("shared")), QStringList());
    EXPECT_EQ(ownFiles(folder.path()), QStringList());
}

// Two lists that the operator joined by a hard link, saved together: one after the other, the later
// last, never the second waiting for the lock the first holds.
TEST_F(InPlaceTest, TwoNamesOfOneFileSavedTogetherAreWrittenOneAfterTheOther) {
    link(file, folder.file("data/2.txt"));
    EXPECT_EQ(writeWholeFiles({{file, "a\r\n"}, {folder.file("data/2.txt"), "b\r\n"}, {other, "c\r\n"}}),
              (QStringList{"", "", ""}));
    EXPECT_EQ(folder.read("data/2.txt"), QByteArray("c\r\n"));
    EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
}

// A marked file left with one name is replaced whole while it is read: the reader that opened the
// old file either reads its copy or, the copy gone with it, reads the file that now has the name.
TEST_F(InPlaceTest, AReaderOfAMarkedFileReplacedMeanwhileReadsAWholeContent) {
    for (int round = 0; round < 40; ++round) {
        ASSERT_EQ(writeWholeFile(file, old), "");
        if (!QFileInfo::exists(other)) link(file, other);
        killSaveAtFlush(file, fresh, ContentFlush);
        ASSERT_TRUE(QFile::remove(other));
        std::thread save([&] { EXPECT_EQ(writeWholeFile(file, "replaced\r\n"), ""); });
        for (QByteArray read; read != "replaced\r\n";) {
            read = readThrough(file);
            ASSERT_TRUE(read == old || read == "replaced\r\n") << read.toStdString();
        }
        save.join();
        EXPECT_EQ(ownFiles(folder.file("data")), QStringList());
    }
}

}  // namespace
