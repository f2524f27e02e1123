#pragma once
// The position file "qr_tlwh.txt" in the program folder: four lines, the picture's Top, Left,
// Height and Width in twips, each ended by CR LF when written. Read at the start into the four position
// boxes, rewritten whole at the close.
#include <QString>
#include <QStringList>
#include <optional>

namespace qr {

struct BarRange {
    int min, max;
};
inline constexpr BarRange kTopRange{0, 6567};
inline constexpr BarRange kLeftRange{0, 10200};
inline constexpr BarRange kSizeRange{1000, 3000};

// One line of the file: the box's design text and the range of the bar that takes it. The width
// has no bar of its own; the size bar's range keeps it as sane as the height.
struct PositionLine {
    const char16_t* design;
    BarRange range;
};
// clang-format off
inline constexpr PositionLine kPositionLines[4] = {
    {u"2760", kTopRange},   // Text2, ScrollBar1
    {u"4440", kLeftRange},  // Text3, ScrollBar2
    {u"1575", kSizeRange},  // Text4, ScrollBar3
    {u"1575", kSizeRange},  // Text5
};
// clang-format on

QString positionFilePath();

// The four texts for the position boxes, from the file at `path`. A line ends at CR LF, CR or LF.
// A line is kept as it was written while it is a number whose integer lies in its bar's range; a
// number outside becomes the nearer bound. A missing line or one that is no number gives the box's
// design text, and so does a missing file, so a fresh install starts with the picture in its design
// place; a file that is there but cannot be read, or does not hold the four numbers, is reported
// once, naming the file and what is wrong. `busy` (optional) tells whether another program held it.
QStringList readPositionFile(const QString& path, bool* busy = nullptr);

// A box's text as a number, as the start and the bars read it; nullopt when it is none.
std::optional<double> boxNumber(const QString& text);
// The 16-bit integer a bar takes from a number: the nearest, a half going to the even one.
int barInteger(double number);

}  // namespace qr
