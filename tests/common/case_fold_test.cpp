#include "common/case_fold.h"

#include <gtest/gtest.h>

namespace {

// The folds decide which list entries are the same: they must be Qt's, character by character and
// for whole texts, inside the table and beyond it.
TEST(CaseFold, FoldsEveryCharacterAndTextExactlyAsQtDoes) {
    for (int u = 0; u < 0x10000; ++u) {
        const QString c{QChar(char16_t(u))};
        EXPECT_EQ(caseFolded(c), c.toCaseFolded()) << "U+" << u;
    }
    const QString texts[] = {
        "",
        "Организация образования № 5",
        "ҚАЗАҚСТАН Әй Өскемен ІІ",
        "Straße MASSE İstanbul µ",
        "ᏸ Ꭰ ǅ ΐ",
        QString::fromUtf16(u"\U0001D400 \U00010400 x"),
        QString(QChar(0xD801)) + "A",
    };
    for (const QString& t : texts) EXPECT_EQ(caseFolded(t), t.toCaseFolded()) << t.toStdString();
}

}  // namespace
