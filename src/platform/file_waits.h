#pragma once
// How long the program waits for files that other programs hold for a moment (a save of theirs in
// the file's own place, a reader): about five seconds in all for one operator action, however many
// files it touches, so that a few busy files never freeze the window for longer. Outside any action
// (a test, a program without windows) each wait has the whole time to itself. Qt Core only; safe
// from several threads.
#include <chrono>

namespace ui {

inline constexpr std::chrono::seconds kFileWaitBudget{5};

// While one lives (nested ones belong to the outermost), the waits share one budget.
class FileWaitScope {
public:
    FileWaitScope();
    ~FileWaitScope();
    FileWaitScope(const FileWaitScope&) = delete;
    FileWaitScope& operator=(const FileWaitScope&) = delete;
};

// While one lives, this thread's locks are only tried, never waited for: for what the program reads of
// its own accord between the operator's actions, which must never hold one up.
class FileTriesOnly {
public:
    FileTriesOnly();
    ~FileTriesOnly();
    FileTriesOnly(const FileTriesOnly&) = delete;
    FileTriesOnly& operator=(const FileTriesOnly&) = delete;
};

// What the next wait may still take.
std::chrono::nanoseconds fileWaitLeft();
// A wait took this long.
void fileWaited(std::chrono::nanoseconds spent);

// Tests shorten the budget, so that a busy file costs them little time; zero gives back the whole.
void setFileWaitBudgetForTests(std::chrono::milliseconds budget);

}  // namespace ui
