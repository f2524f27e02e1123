#pragma once
// Parts of a test that run in a forked copy of the test process: held to a file-size limit (so a
// write fails the way it fails on a full disk, without filling a real one), or run as a user whom
// file permissions bind when the tests themselves run as root.
#include <QString>
#include <functional>

enum class ChildOutcome { Passed, Failed, Skipped };

// Runs `body` in a forked child and waits for it. The child's failed expectations print as usual
// and are added to the test as one failure; a GTEST_SKIP in the child gives Skipped.
ChildOutcome runInChild(const std::function<void()>& body);

// In a child: from now on every write that would make a file larger than `bytes` fails with EFBIG
// (the signal that would otherwise end the process is ignored), as a full disk fails with ENOSPC.
void limitFileSize(qint64 bytes);

// Runs `body` as a user whom file permissions bind. Not root: here. Root: in a child that switches to
// the user "nobody" after `folder` and everything in it was given to that user. Skipped, with the
// reason printed, when there is no such user or it cannot reach the folder.
ChildOutcome runUnprivileged(const QString& folder, const std::function<void()>& body);
