// The program folder: file names resolved against it, programs started from it, one copy at a time.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>

#include <csignal>

#include "operator.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "support/child_process.h"
#include "support/program_folder.h"

namespace {

void writeProgram(const ProgramFolder& folder, const QString& name, bool executable = true) {
    folder.write(name, "#!/bin/sh\nexit 0\n");
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) p |= QFile::ExeOwner;
    QFile::setPermissions(folder.file(name), p);
}

class ProgramFolderTest : public testing::Test {
protected:
    void SetUp() override { ui::setProgramFolder(folder.path()); }
    void TearDown() override { QDir::setCurrent(startDir); }

    ScriptedScope services;
    ProgramFolder folder;
    QString startDir = QDir::currentPath();
};

TEST_F(ProgramFolderTest, NamesResolveAgainstTheProgramFolderWhateverTheCurrentDirectory) {
    ProgramFolder elsewhere;
    QDir::setCurrent(elsewhere.path());
    struct Case {
        QString name, path;
    };
    const Case cases[] = {
        {"data\\lang.txt", folder.path() + "/data/lang.txt"},
        {"image\\Skin1\\5.jpg", folder.path() + "/image/Skin1/5.jpg"},
        {"1.xml", folder.path() + "/1.xml"},
        {"data/2.txt", folder.path() + "/data/2.txt"},
        {elsewhere.path() + "/export.xml", elsewhere.path() + "/export.xml"},
        {"/tmp/x/../y.txt", "/tmp/y.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::programPath(c.name), c.path) << c.name.toStdString();
}

TEST_F(ProgramFolderTest, FindsABareProgramNameWithOrWithoutExeInTheProgramFolderOnly) {
    struct Case {
        const char* what;
        QStringList files;  // executables in the program folder
        QString asked;
        QString found;  // file name in the folder; empty: not found
    };
    const Case cases[] = {
        {"as written", {"QR"}, "QR", "QR"},
        {".exe dropped", {"QR"}, "QR.exe", "QR"},
        {".EXE dropped", {"QR"}, "QR.EXE", "QR"},
        {".exe added", {"QR.exe"}, "QR", "QR.exe"},
        {".exe as written", {"QR.exe"}, "QR.exe", "QR.exe"},
        {"exact name first", {"setup", "setup.exe"}, "setup.exe", "setup.exe"},
        {"missing", {"QR"}, "setup.exe", ""},
        {"a path is never searched", {"QR"}, "./QR", ""},
        {"a Windows path is never searched", {"QR"}, ".\\QR.exe", ""},
        {"a sub-folder is never searched", {"bin/QR"}, "bin\\QR", ""},
        {"not the search path", {}, "sh", ""},
        {"empty name", {"QR"}, "", ""},
    };
    for (const Case& c : cases) {
        ProgramFolder f;
        ui::setProgramFolder(f.path());
        for (const QString& file : c.files) writeProgram(f, file);
        const QString expected =
            c.found.isEmpty() ? QString() : QFileInfo(f.file(c.found)).absoluteFilePath();
        EXPECT_EQ(ui::findProgram(c.asked), expected) << c.what;
    }
}

TEST_F(ProgramFolderTest, ProgramThatIsNotExecutableOrIsAFolderIsNotFound) {
    writeProgram(folder, "QR", false);
    QDir(folder.path()).mkdir("setup");
    EXPECT_EQ(ui::findProgram("QR.exe"), "");
    EXPECT_EQ(ui::findProgram("setup.exe"), "");
}

TEST_F(ProgramFolderTest, ProgramInTheCurrentDirectoryIsNotFound) {
    ProgramFolder elsewhere;
    writeProgram(elsewhere, "QR");
    QDir::setCurrent(elsewhere.path());
    EXPECT_EQ(ui::findProgram("QR.exe"), "");
    EXPECT_FALSE(ui::startProgramFromFolder("QR.exe", ui::WindowStyle::NormalFocus));
    EXPECT_TRUE(services->starts.empty());
}

TEST_F(ProgramFolderTest, StartFindsTheProgramAndPassesTheWindowStyle) {
    writeProgram(folder, "QR");
    EXPECT_TRUE(ui::startProgramFromFolder("QR.exe", ui::WindowStyle::MinimizedFocus));
    ASSERT_EQ(services->starts.size(), 1u);
    EXPECT_EQ(services->starts[0].path, QFileInfo(folder.file("QR")).absoluteFilePath());
    EXPECT_EQ(services->starts[0].style, ui::WindowStyle::MinimizedFocus);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(ProgramFolderTest, FailedStartShowsOneErrorAndStartsNothingElse) {
    struct Case {
        const char* what;
        bool present, startSucceeds;
        size_t starts;
    };
    const Case cases[] = {
        {"missing program", false, true, 0},
        {"program that will not start", true, false, 1},
    };
    for (const Case& c : cases) {
        ProgramFolder f;
        ui::setProgramFolder(f.path());
        if (c.present) writeProgram(f, "setup.exe");
        services->messages.clear();
        services->starts.clear();
        services->startSucceeds = c.startSucceeds;
        EXPECT_FALSE(ui::startProgramFromFolder("setup.exe", ui::WindowStyle::NormalFocus)) << c.what;
        EXPECT_EQ(services->starts.size(), c.starts) << c.what;
        ASSERT_EQ(services->messages.size(), 1u) << c.what;
        EXPECT_EQ(services->messages[0].title, "Ошибка") << c.what;
        EXPECT_TRUE(services->messages[0].text.contains("setup.exe")) << c.what;
    }
}

// A started program learns its window style from the platform alone: minimised and active, or
// nothing, and never a style its starter itself was started with.
TEST_F(ProgramFolderTest, TheQtStartHandsTheMinimisedStyleToTheStartedProgramOnly) {
    folder.write("report", "#!/bin/sh\necho \"[${VELMOX_START_STYLE-none}]\" > \"$0.out\"\n");
    QFile::setPermissions(folder.file("report"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("VELMOX_START_STYLE", "minimized");  // as if this program had been started so
    // clang-format off
    const std::pair<ui::WindowStyle, QByteArray> cases[] = {
        {ui::WindowStyle::MinimizedFocus, "[minimized]\n"},
        {ui::WindowStyle::NormalFocus, "[none]\n"},
        {ui::WindowStyle::Hidden, "[none]\n"},
    };
    // clang-format on
    for (const auto& [style, seen] : cases) {
        QFile::remove(folder.file("report.out"));
        ASSERT_TRUE(ui::QtServices().startProgram(folder.file("report"), style));
        ASSERT_TRUE(QTest::qWaitFor([&] { return folder.read("report.out").endsWith('\n'); }, 10000));
        EXPECT_EQ(folder.read("report.out"), seen) << int(style);
    }
    EXPECT_EQ(ui::takeStartStyle(), ui::WindowStyle::MinimizedFocus);
    EXPECT_EQ(ui::takeStartStyle(), ui::WindowStyle::NormalFocus) << "handed over once";
}

// A process number that names no running process: one that has surely ended.
std::optional<qint64> endedProcess() {
    QProcess ended;
    ended.start("/bin/true");
    if (!ended.waitForStarted()) return std::nullopt;
    const qint64 pid = ended.processId();
    if (!ended.waitForFinished() || ::kill(pid_t(pid), 0) == 0) return std::nullopt;
    return pid;
}

TEST(InstanceLock, SecondCopyIsRefusedWhileTheFirstHoldsTheLock) {
    ProgramFolder folder;
    const QString path = folder.file("velmox.lock");
    auto first = ui::acquireInstanceLock(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
    first.reset();
    auto next = ui::acquireInstanceLock(path);
    EXPECT_NE(next, nullptr);
}

TEST(InstanceLock, AFolderThatCannotTakeTheLockIsAnErrorNotASecondCopy) {
    ProgramFolder folder;
    folder.write("plain-file", "x");
    EXPECT_THROW(ui::acquireInstanceLock(folder.file("plain-file/velmox.lock")), std::runtime_error);
}

TEST(InstanceLock, LockLeftByADeadProcessIsTakenOver) {
    const std::optional<qint64> pid = endedProcess();
    if (!pid) GTEST_SKIP() << "no free process number";

    ProgramFolder folder;
    const QString path = folder.file("velmox.lock");
    // The lock file's format: the owner's PID, application name and host name, one a line.
    folder.write("velmox.lock",
                 QByteArray::number(*pid) + "\nVelmox\n" + QSysInfo::machineHostName().toUtf8() + "\n");

    auto lock = ui::acquireInstanceLock(path);
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(
        folder.read("velmox.lock").startsWith(QByteArray::number(QCoreApplication::applicationPid()) + "\n"));
    EXPECT_EQ(ui::acquireInstanceLock(path), nullptr);
}

// The lock file's format: the owner's PID, application name and host name, one a line.
QByteArray lockFileNaming(qint64 pid, const QByteArray& application) {
    return QByteArray::number(pid) + "\n" + application + "\n" + QSysInfo::machineHostName().toUtf8() + "\n";
}

TEST(InstanceLock, ALockWhoseLiveProcessRunsAnotherProgramFileIsTakenOver) {
    // A start that ended without its clean-up left the lock; its process number now belongs to a
    // running program that is not this one, or to a copy of it started from another folder.
    ProgramFolder other;
    QFile::copy("/bin/sleep", other.file("Velmox"));
    QFile::setPermissions(other.file("Velmox"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    struct Case {
        const char* what;
        QString program;
    };
    const Case cases[] = {
        {"another program", "/bin/sleep"},
        {"a copy from another folder", other.file("Velmox")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QProcess running;
        running.start(c.program, {"30"});
        ASSERT_TRUE(running.waitForStarted());
        ProgramFolder folder;
        folder.write("Velmox.lock", lockFileNaming(running.processId(), "Velmox"));
        auto lock = ui::acquireInstanceLock(folder.file("Velmox.lock"));
        EXPECT_NE(lock, nullptr);
        EXPECT_TRUE(folder.read("Velmox.lock")
                        .startsWith(QByteArray::number(QCoreApplication::applicationPid()) + "\n"));
        running.kill();
        running.waitForFinished();
    }
}

TEST(InstanceLock, ALockWhoseLiveProcessRunsThisProgramFileCounts) {
    // A second process of this very program file: a child that waits until it is ended.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    ProgramFolder folder;
    // Named as the system names this process, as the program's own lock file names it.
    folder.write(
        "Velmox.lock",
        lockFileNaming(child, QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8()));
    EXPECT_EQ(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    // Once it has ended, the lock is left over.
    EXPECT_NE(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
}

TEST(InstanceLock, ALockStillHeldOpenByItsMakerCountsWhateverNumberItNames) {
    const std::optional<qint64> dead = endedProcess();
    if (!dead) GTEST_SKIP() << "no free process number";
    ProgramFolder folder;
    const QByteArray path = QFile::encodeName(folder.file("Velmox.lock"));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t maker = ::fork();
    ASSERT_GE(maker, 0);
    if (maker == 0) {
        // A copy that holds its lock file open and locked, whatever the file says.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
        const QByteArray info = lockFileNaming(*dead, "Velmox");
        const bool held =
            fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::write(fd, info.data(), size_t(info.size())) > 0;
        (void)!::write(ready[1], held ? "y" : "n", 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    EXPECT_EQ(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
    EXPECT_TRUE(folder.read("Velmox.lock").startsWith(QByteArray::number(*dead) + "\n")) << "left as it was";
    ::kill(maker, SIGKILL);
    ::waitpid(maker, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    // Its maker gone, the lock is left over.
    EXPECT_NE(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
}

TEST(InstanceLock, ALeftOverLockThatCannotBeClearedIsAnErrorNotASecondCopy) {
    const std::optional<qint64> dead = endedProcess();
    if (!dead) GTEST_SKIP() << "no free process number";
    const QFile::Permissions readOnly =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ReadOther;
    struct Case {
        const char* what;
        bool lockReadOnly, folderReadOnly;
    };
    for (const Case c : {Case{"a lock file that cannot be written", true, false},
                         Case{"a folder where nothing can be removed", false, true}}) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        folder.write("Velmox.lock", lockFileNaming(*dead, "Velmox"));
        if (c.lockReadOnly) QFile::setPermissions(folder.file("Velmox.lock"), readOnly & ~QFile::ExeOwner);
        const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
            if (c.folderReadOnly) QFile::setPermissions(folder.path(), readOnly);
            EXPECT_THROW(ui::acquireInstanceLock(folder.file("Velmox.lock")), std::runtime_error);
            QFile::setPermissions(folder.path(), readOnly | QFile::WriteOwner);
        });
        if (outcome == ChildOutcome::Skipped) GTEST_SKIP();
        EXPECT_EQ(outcome, ChildOutcome::Passed);
        EXPECT_TRUE(folder.exists("Velmox.lock")) << "left as it was";
    }
}

}  // namespace
