#include "qr/position_file.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "common/settings_file.h"
#include "platform/paths.h"

namespace qr {

QString positionFilePath() {
    return ui::programPath(QStringLiteral("qr_tlwh.txt"));
}

std::optional<double> boxNumber(const QString& text) {
    return numbertext::parse(text);
}

int barInteger(double number) {
    // The default rounding mode rounds a half to the even neighbour.
    return int(std::nearbyint(std::clamp(number, -32768.0, 32767.0)));
}

QStringList readPositionFile(const QString& path) {
    const QStringList lines = settings::readLinesOrReport(path);
    QStringList boxes;
    for (qsizetype i = 0; i < 4; ++i) {
        const PositionLine& line = kPositionLines[i];
        const QString text = lines.value(i);
        const std::optional<double> number = boxNumber(text);
        if (!number) {
            boxes << QString::fromUtf16(line.design);
            continue;
        }
        const int integer = barInteger(*number);
        if (integer < line.range.min)
            boxes << QString::number(line.range.min);
        else if (integer > line.range.max)
            boxes << QString::number(line.range.max);
        else
            boxes << text;
    }
    return boxes;
}

}  // namespace qr
