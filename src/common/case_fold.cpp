#include "common/case_fold.h"

#include <array>

namespace {

// Qt folds each character on its own, so a table of its folds of single characters folds a text of
// them as it does. Beyond the table, or where a fold is more than one character, Qt folds the text.
constexpr char16_t kTableEnd = 0x0530;
constexpr char16_t kNotSingle = 0xFFFF;

const std::array<char16_t, kTableEnd>& table() {
    static const std::array<char16_t, kTableEnd> folds = [] {
        std::array<char16_t, kTableEnd> t{};
        for (char16_t c = 0; c < kTableEnd; ++c) {
            const QString f = QString(QChar(c)).toCaseFolded();
            t[c] = f.size() == 1 ? f[0].unicode() : kNotSingle;
        }
        return t;
    }();
    return folds;
}

}  // namespace

QString caseFolded(const QString& text) {
    const std::array<char16_t, kTableEnd>& folds = table();
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kTableEnd || folds[u] == kNotSingle) return text.toCaseFolded();
        *to++ = QChar(folds[u]);
    }
    return out;
}
