// One copy per program folder: the lock that the system drops with its process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>

#include <csignal>

#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "support/child_process.h"
#include "support/program_folder.h"

namespace {

// A second process that takes the lock with the program's own code and holds it until it is killed.
class LockHolder {
public:
    explicit LockHolder(const QString& lockFile) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            bool held = false;
            try {
                held = ui::acquireInstanceLock(lockFile).release() != nullptr;
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
        EXPECT_EQ(folder.read("Velmox.lock"), QByteArray()) << "it no longer names an owner";
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
    const QFile::Permissions folderReadOnly = readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    struct Case {
        const char* what;
        std::optional<QFile::Permissions> lockFile;  // nullopt: no lock file
        bool fails;                                  // false: the lock is taken
        const char* reason;
    };
    const Case cases[] = {
        {"a read-only folder without a lock file", std::nullopt, true,
         "не удалось создать файл «Velmox.lock»: папка программы недоступна для записи"},
        {"a read-only folder with a lock file that cannot be written", readOnly, false, nullptr},
        {"a lock file that cannot even be read", QFile::Permissions(), true,
         "не удалось открыть файл «Velmox.lock»: нет доступа к файлу"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        ui::setProgramFolder(folder.path());
        if (c.lockFile) folder.write("Velmox.lock", "4242\nVelmox\nother-pc\n");
        const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
            if (c.lockFile) QFile::setPermissions(folder.file("Velmox.lock"), *c.lockFile);
            QFile::setPermissions(folder.path(), folderReadOnly);
            const QString path = folder.file("Velmox.lock");
            if (!c.fails) {
                auto lock = ui::acquireInstanceLock(path);
                EXPECT_NE(lock, nullptr);
                EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
            } else {
                try {
                    ui::acquireInstanceLock(path);
                    ADD_FAILURE() << "the lock was taken";
                } catch (const ui::Error& e) {
                    EXPECT_EQ(e.reason(), QString::fromUtf8(c.reason));
                }
            }
            QFile::setPermissions(folder.path(), folderReadOnly | QFile::WriteOwner);
        });
        if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
        EXPECT_EQ(outcome, ChildOutcome::Passed);
        EXPECT_EQ(folder.exists("Velmox.lock"), c.lockFile.has_value()) << "nothing made";
    }
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
