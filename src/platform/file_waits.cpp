#include "platform/file_waits.h"

#include <algorithm>
#include <atomic>

namespace ui {

namespace {
std::atomic<int> depth{0};
std::atomic<long long> spentNs{0};
std::atomic<long long> budgetNs{std::chrono::nanoseconds(kFileWaitBudget).count()};
thread_local int triesOnly = 0;
}  // namespace

FileTriesOnly::FileTriesOnly() {
    ++triesOnly;
}

FileTriesOnly::~FileTriesOnly() {
    --triesOnly;
}

FileWaitScope::FileWaitScope() {
    if (depth.fetch_add(1) == 0) spentNs = 0;
}

FileWaitScope::~FileWaitScope() {
    depth.fetch_sub(1);
}

std::chrono::nanoseconds fileWaitLeft() {
    if (triesOnly > 0) return std::chrono::nanoseconds(0);
    const std::chrono::nanoseconds whole(budgetNs.load());
    if (depth.load() == 0) return whole;
    return std::max(std::chrono::nanoseconds(0), whole - std::chrono::nanoseconds(spentNs.load()));
}

void fileWaited(std::chrono::nanoseconds spent) {
    if (depth.load() > 0) spentNs += spent.count();
}

void setFileWaitBudgetForTests(std::chrono::milliseconds budget) {
    budgetNs = budget.count() > 0 ? std::chrono::nanoseconds(budget).count()
                                  : std::chrono::nanoseconds(kFileWaitBudget).count();
}

}  // namespace ui
