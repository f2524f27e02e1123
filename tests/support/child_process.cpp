#include "support/child_process.h"

#include <ftw.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr int kSkippedExit = 77;

[[noreturn]] void endChild(int code) {
    std::fflush(nullptr);
    // No destructors and no exit handlers: they belong to the parent's objects.
    ::_exit(code);
}

uid_t ownerUid;
gid_t ownerGid;

int giveToOwner(const char* path, const struct stat*, int, struct FTW*) {
    return ::lchown(path, ownerUid, ownerGid);
}

}  // namespace

ChildOutcome runInChild(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed: " << std::strerror(errno);
        return ChildOutcome::Failed;
    }
    if (pid == 0) {
        try {
            body();
        } catch (const std::exception& e) {
            std::printf("exception in the child process: %s\n", e.what());
            endChild(1);
        } catch (...) {
            std::printf("unknown exception in the child process\n");
            endChild(1);
        }
        if (testing::Test::HasFailure()) endChild(1);
        endChild(testing::Test::IsSkipped() ? kSkippedExit : 0);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            ADD_FAILURE() << "waitpid failed: " << std::strerror(errno);
            return ChildOutcome::Failed;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ChildOutcome::Passed;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkippedExit) return ChildOutcome::Skipped;
    if (WIFSIGNALED(status))
        ADD_FAILURE() << "the child process ended on signal " << WTERMSIG(status);
    else
        ADD_FAILURE() << "the child process failed (its failures are printed above)";
    return ChildOutcome::Failed;
}

void limitFileSize(qint64 bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) FAIL() << "setrlimit failed: " << std::strerror(errno);
}

ChildOutcome runUnprivileged(const QString& folder, const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        if (testing::Test::IsSkipped()) return ChildOutcome::Skipped;
        return testing::Test::HasFailure() ? ChildOutcome::Failed : ChildOutcome::Passed;
    }
    const struct passwd* user = ::getpwnam("nobody");
    if (!user) {
        std::printf("no user \"nobody\" to run the check as\n");
        return ChildOutcome::Skipped;
    }
    ownerUid = user->pw_uid;
    ownerGid = user->pw_gid;
    const QByteArray path = folder.toLocal8Bit();
    if (::nftw(path.constData(), giveToOwner, 16, FTW_PHYS) != 0) {
        ADD_FAILURE() << "cannot give " << path.constData() << " to nobody: " << std::strerror(errno);
        return ChildOutcome::Failed;
    }
    return runInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(ownerGid) != 0 || ::setuid(ownerUid) != 0) {
            std::printf("cannot switch to the user nobody: %s\n", std::strerror(errno));
            endChild(kSkippedExit);
        }
        if (::access(path.constData(), R_OK | W_OK | X_OK) != 0) {
            std::printf("the user nobody cannot reach %s: set TMPDIR to a folder every user can enter\n",
                        path.constData());
            endChild(kSkippedExit);
        }
        body();
    });
}
