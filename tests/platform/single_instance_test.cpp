// One copy per program folder: the lock that the system drops with its process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <csignal>
#include <cstring>
#include <functional>
#include <optional>

#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "support/child_process.h"
#include "support/program_folder.h"

namespace {

// A second process that takes the lock with the program's own code (or with `take`) and holds it
// until it is killed.
class LockHolder {
public:
    explicit LockHolder(const QString& lockFile)
        : LockHolder([&] { return ui::acquireInstanceLock(lockFile).release() != nullptr; }) {}
    explicit LockHolder(const std::function<bool()>& take) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            bool held = false;
            try {
                held = take();
            } catch (const ui::Error&) {
            }
            (void)!::write(ready[1], held ? "y" : "n", 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char answer = 0;
        held_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() { kill(); }
    bool held() const { return held_; }
    // The way a copy ends that is killed in its close: no clean-up of any kind.
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
    bool held_ = false;
};

// The reason a refused lock gives, or an empty string with a failure when the lock was taken.
QString refusal(const QString& lockFile) {
    try {
        const auto lock = ui::acquireInstanceLock(lockFile);
        ADD_FAILURE() << (lock ? "the lock was taken" : "the lock was seen as another copy's");
    } catch (const ui::Error& e) {
        return e.reason();
    }
    return {};
}

QString openFailure(const QString& lockFile, const char* reason) {
    return QStringLiteral("не удалось открыть файл «%1»: %2")
        .arg(ui::shownPath(lockFile), QString::fromUtf8(reason));
}

void makeLink(const QString& target, const QString& link) {
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0)
        << std::strerror(errno);
}

TEST(InstanceLock, ASecondCopyIsRefusedWhileTheFirstHoldsTheLock) {
    ProgramFolder folder;
    const QString path = folder.file("Velmox.lock");
    auto first = ui::acquireInstanceLock(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
    first.reset();
    EXPECT_NE(ui::acquireInstanceLock(path), nullptr);
}

TEST(InstanceLock, ALockHeldByAnotherProcessCountsUntilThatProcessIsKilled) {
    ProgramFolder folder;
    const QString path = folder.file("Velmox.lock");
    LockHolder other(path);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
    other.kill();
    // The killed copy left its lock file behind, and with it nothing that holds.
    EXPECT_TRUE(folder.exists("Velmox.lock"));
    auto lock = ui::acquireInstanceLock(path);
    ASSERT_NE(lock, nullptr);
    LockHolder later(path);
    EXPECT_FALSE(later.held()) << "a third copy sees the second one's lock";
}

TEST(InstanceLock, WhatALeftOverLockFileSaysHoldsNothing) {
    struct Case {
        const char* what;
        QByteArray content;
    };
    const QByteArray thisHost = QSysInfo::machineHostName().toUtf8();
    const Case cases[] = {
        {"another computer's copy", "4242\nVelmox\nother-pc\n"},
        {"a process that still runs on this computer",
         QByteArray::number(QCoreApplication::applicationPid()) + "\nVelmox\n" + thisHost + "\n"},
        {"an empty file", ""},
        {"no lock file at all", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        if (!c.content.isNull()) folder.write("Velmox.lock", c.content);
        auto lock = ui::acquireInstanceLock(folder.file("Velmox.lock"));
        ASSERT_NE(lock, nullptr);
        // Nothing is written to it: the lock needs no content.
        EXPECT_EQ(folder.read("Velmox.lock"), c.content.isNull() ? QByteArray() : c.content);
        EXPECT_EQ(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
    }
}

TEST(InstanceLock, AFullDiskStillTakesTheLockAndStillRefusesASecondCopy) {
    ProgramFolder folder;
    // A lock file left behind, and none yet: neither needs a byte of the disk.
    for (const bool leftOver : {true, false}) {
        SCOPED_TRACE(leftOver ? "a lock file left behind" : "no lock file yet");
        QFile::remove(folder.file("Velmox.lock"));
        if (leftOver) folder.write("Velmox.lock", "4242\nVelmox\nother-pc\n");
        const ChildOutcome outcome = runInChild([&] {
            limitFileSize(0);
            auto lock = ui::acquireInstanceLock(folder.file("Velmox.lock"));
            ASSERT_NE(lock, nullptr);
            EXPECT_EQ(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
        });
        EXPECT_EQ(outcome, ChildOutcome::Passed);
    }
}

TEST(InstanceLock, ALockThatCannotBeTakenSaysWhyAndIsNoSecondCopy) {
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions passOnly = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const QFile::Permissions folderReadOnly = readOnly | passOnly;
    const QByteArray shipped = "4242\nVelmox\nother-pc\n";
    struct Case {
        const char* what;
        QFile::Permissions folder;
        std::optional<QFile::Permissions> lockFile;  // nullopt: no lock file
        bool fails;                                  // false: the lock is taken
        const char* reason;
    };
    const Case cases[] = {
        {"a read-only folder without a lock file", folderReadOnly, std::nullopt, true,
         "не удалось создать файл «Velmox.lock»: папка программы недоступна для записи"},
        {"a read-only folder with a lock file that cannot be written", folderReadOnly, readOnly, false,
         nullptr},
        // The folder cannot be opened to be locked: the file lock alone stands.
        {"a folder that may be passed but not listed, with a lock file", passOnly, readOnly, false, nullptr},
        {"a lock file that cannot even be read", folderReadOnly, QFile::Permissions(), true,
         "не удалось открыть файл «Velmox.lock»: нет доступа к файлу"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        ui::setProgramFolder(folder.path());
        if (c.lockFile) folder.write("Velmox.lock", shipped);
        const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
            if (c.lockFile) QFile::setPermissions(folder.file("Velmox.lock"), *c.lockFile);
            QFile::setPermissions(folder.path(), c.folder);
            const QString path = folder.file("Velmox.lock");
            if (!c.fails) {
                auto lock = ui::acquireInstanceLock(path);
                EXPECT_NE(lock, nullptr);
                EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
                LockHolder other(path);
                EXPECT_FALSE(other.held()) << "a copy in another process runs beside this one";
                // It was forked while the lock was held, and holds it as well until it ends.
                other.kill();
                lock.reset();
                LockHolder later(path);
                EXPECT_TRUE(later.held()) << "a start after this copy has ended does not run";
            } else {
                EXPECT_EQ(refusal(path), QString::fromUtf8(c.reason));
            }
            QFile::setPermissions(folder.path(), folderReadOnly | QFile::WriteOwner);
        });
        if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
        EXPECT_EQ(outcome, ChildOutcome::Passed);
        EXPECT_EQ(folder.exists("Velmox.lock"), c.lockFile.has_value()) << "nothing made";
        if (c.lockFile && *c.lockFile) {
            EXPECT_EQ(folder.read("Velmox.lock"), shipped) << "the shipped file was written";
        }
    }
}

TEST(InstanceLock, NothingButARegularFileIsTakenForTheLockFileAndWhatStandsThereIsLeftAsItWas) {
    const QFile::Permissions folderReadOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    const QByteArray victimBytes = "a file of the operator's, elsewhere\n";
    struct Case {
        const char* what;
        std::function<void(const QString& lockFile, const ProgramFolder& elsewhere)> make;
        const char* reason;
        // What must still hold outside the program folder afterwards.
        std::function<void(const ProgramFolder& elsewhere)> kept;
    };
    const auto victimKept = [&](const ProgramFolder& elsewhere) {
        EXPECT_EQ(elsewhere.read("victim.txt"), victimBytes);
    };
    const Case cases[] = {
        {"a link to a file elsewhere",
         [](const QString& lock, const ProgramFolder& elsewhere) {
             makeLink(elsewhere.file("victim.txt"), lock);
         },
         "на месте файла находится ссылка", victimKept},
        {"a dangling link",
         [](const QString& lock, const ProgramFolder& elsewhere) {
             makeLink(elsewhere.file("made.txt"), lock);
         },
         "на месте файла находится ссылка",
         [](const ProgramFolder& elsewhere) {
             EXPECT_FALSE(elsewhere.exists("made.txt")) << "made through it";
         }},
        {"a link to a folder",
         [](const QString& lock, const ProgramFolder& elsewhere) { makeLink(elsewhere.path(), lock); },
         "на месте файла находится ссылка", victimKept},
        {"a folder", [](const QString& lock, const ProgramFolder&) { ASSERT_TRUE(QDir().mkdir(lock)); },
         "на месте файла находится папка", nullptr},
        {"a pipe",
         [](const QString& lock, const ProgramFolder&) {
             // One the user may not write: the open for writing fails on it, and one for reading alone
             // would wait for a writer.
             ASSERT_EQ(::mkfifo(QFile::encodeName(lock).constData(), 0444), 0) << std::strerror(errno);
         },
         "не обычный файл", nullptr},
        {"a socket",
         [](const QString& lock, const ProgramFolder&) {
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const QByteArray name = QFile::encodeName(lock);
             ASSERT_LT(size_t(name.size()), sizeof address.sun_path);
             std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
             EXPECT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
                 << std::strerror(errno);
             ::close(s);
         },
         "не обычный файл", nullptr},
    };
    // Where the lock file may be written, and in a read-only folder, where it is opened for reading.
    for (const bool readOnly : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (readOnly ? ", in a read-only folder" : ""));
            ProgramFolder folder;
            ProgramFolder elsewhere;
            elsewhere.write("victim.txt", victimBytes);
            ui::setProgramFolder(folder.path());
            const QString lock = folder.file("Velmox.lock");
            c.make(lock, elsewhere);
            struct stat before {};
            ASSERT_EQ(::lstat(QFile::encodeName(lock).constData(), &before), 0);
            const QString linkTarget = QFileInfo(lock).symLinkTarget();
            const auto body = [&] {
                // A blocking open would hang the start for ever; here it ends the check.
                ::alarm(30);
                if (readOnly) QFile::setPermissions(folder.path(), folderReadOnly);
                EXPECT_EQ(refusal(lock), openFailure(lock, c.reason));
                struct stat after {};
                EXPECT_EQ(::lstat(QFile::encodeName(lock).constData(), &after), 0);
                EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "its place was changed";
                EXPECT_EQ(QFileInfo(lock).symLinkTarget(), linkTarget);
                EXPECT_EQ(
                    QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                    QStringList{QStringLiteral("Velmox.lock")})
                    << "something was made in the program folder";
                // The refused start keeps no lock: once the place holds nothing, a start runs.
                QFile::setPermissions(folder.path(), folderReadOnly | QFile::WriteOwner);
                if (S_ISDIR(after.st_mode))
                    EXPECT_TRUE(QDir().rmdir(lock));
                else
                    EXPECT_EQ(::unlink(QFile::encodeName(lock).constData()), 0);
                EXPECT_NE(ui::acquireInstanceLock(lock), nullptr);
                ::alarm(0);
            };
            const ChildOutcome outcome = readOnly ? runUnprivileged(folder.path(), body) : runInChild(body);
            if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
            EXPECT_EQ(outcome, ChildOutcome::Passed);
            if (c.kept) c.kept(elsewhere);
        }
    }
}

TEST(InstanceLock, RemovingOrReplacingTheLockFileOfARunningCopyLetsNoSecondCopyRun) {
    const QByteArray victimBytes = "a file of the operator's, elsewhere\n";
    struct Case {
        const char* what;
        std::function<void(const ProgramFolder& folder, const ProgramFolder& elsewhere)> change;
        const char* reasonOnceEnded;  // nullptr: a start after the running copy was killed runs
    };
    const auto remove = [](const ProgramFolder& folder) {
        ASSERT_TRUE(QFile::remove(folder.file("Velmox.lock")));
    };
    const Case cases[] = {
        {"removed", [&](const ProgramFolder& folder, const ProgramFolder&) { remove(folder); }, nullptr},
        {"removed and made anew",
         [&](const ProgramFolder& folder, const ProgramFolder&) {
             remove(folder);
             folder.write("Velmox.lock", "");
         },
         nullptr},
        {"replaced by another file renamed over it",
         [](const ProgramFolder& folder, const ProgramFolder&) {
             folder.write("other.lock", "");
             ASSERT_EQ(::rename(QFile::encodeName(folder.file("other.lock")).constData(),
                                QFile::encodeName(folder.file("Velmox.lock")).constData()),
                       0);
         },
         nullptr},
        {"replaced by a link to a file elsewhere",
         [&](const ProgramFolder& folder, const ProgramFolder& elsewhere) {
             remove(folder);
             makeLink(elsewhere.file("victim.txt"), folder.file("Velmox.lock"));
         },
         "на месте файла находится ссылка"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        ProgramFolder elsewhere;
        ui::setProgramFolder(folder.path());
        elsewhere.write("victim.txt", victimBytes);
        folder.write("Velmox.lock", "");
        const QString lock = folder.file("Velmox.lock");
        LockHolder running(lock);
        ASSERT_TRUE(running.held());
        c.change(folder, elsewhere);
        EXPECT_EQ(ui::acquireInstanceLock(lock), nullptr) << "a second copy runs on the same folder";
        LockHolder second(lock);
        EXPECT_FALSE(second.held()) << "a second copy in another process runs on the same folder";
        second.kill();
        running.kill();
        if (c.reasonOnceEnded)
            EXPECT_EQ(refusal(lock), openFailure(lock, c.reasonOnceEnded));
        else
            EXPECT_NE(ui::acquireInstanceLock(lock), nullptr) << "the killed copy keeps the folder locked";
        EXPECT_EQ(elsewhere.read("victim.txt"), victimBytes);
    }
}

TEST(InstanceLock, ACopyThatLocksTheLockFileAloneStillCountsAndLeavesTheFolderFree) {
    // As a copy of an earlier version does, or one that could not lock the folder.
    ProgramFolder folder;
    const QString lock = folder.file("Velmox.lock");
    LockHolder fileOnly([&] {
        const int fd = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    });
    ASSERT_TRUE(fileOnly.held());
    EXPECT_EQ(ui::acquireInstanceLock(lock), nullptr);
    EXPECT_EQ(ui::acquireInstanceLock(lock), nullptr);
    fileOnly.kill();
    // Had a refused start kept its hold on the folder, this one would be refused as well.
    auto lockNow = ui::acquireInstanceLock(lock);
    EXPECT_NE(lockNow, nullptr);
}

TEST(InstanceLock, AProgramFolderThatIsNoFolderSaysSo) {
    ProgramFolder folder;
    folder.write("plain-file", "x");
    try {
        ui::acquireInstanceLock(folder.file("plain-file/Velmox.lock"));
        ADD_FAILURE() << "the lock was taken";
    } catch (const ui::Error& e) {
        EXPECT_EQ(e.reason(), QStringLiteral("не удалось создать файл «%1»: папка программы не найдена")
                                  .arg(ui::shownPath(folder.file("plain-file/Velmox.lock"))));
    }
}

}  // namespace
