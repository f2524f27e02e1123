#pragma once
// What a list shows of an entry. Qt's views lay out and shape the whole text of every entry they
// measure or paint, at tens of bytes a character: one entry of fifty million characters took a minute
// and two gigabytes to show. An entry is shown at most this long, far more than the widest list or
// drop-down list shows, so what the operator sees is the same.
#include <QString>

namespace ui {

constexpr qsizetype kShownEntryLength = 4096;

inline QString shownEntry(const QString& entry) {
    if (entry.size() <= kShownEntryLength) return entry;
    qsizetype cut = kShownEntryLength;
    // A letter outside the basic plane is two halves: never one of them alone.
    if (entry[cut - 1].isHighSurrogate()) --cut;
    return entry.left(cut);
}

}  // namespace ui
