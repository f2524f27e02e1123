// A failed file operation's reason as the operator reads it in a message's details.
#include <gtest/gtest.h>

#include "common/system_reason.h"

namespace {

TEST(SystemReason, TheSystemsCommonReasonsComeInRussianAndOthersAsTheyAre) {
    struct Case {
        const char* system;
        const char16_t* shown;
    };
    const Case cases[] = {
        {"Permission denied", u"нет доступа"},
        {"No space left on device", u"на диске нет места"},
        {"Existing file /p/2.txt is not writable", u"файл защищён от записи"},
        {"Unknown error", u"неизвестная ошибка"},
        {"Read-only file system", u"диск только для чтения"},
        {"Strange new failure", u"Strange new failure"},
    };
    for (const Case& c : cases) EXPECT_EQ(systemReason(c.system), QString::fromUtf16(c.shown)) << c.system;
}

}  // namespace
