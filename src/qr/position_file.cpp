#include "qr/position_file.h"

#include <algorithm>
#include <cmath>

#include "common/file_messages.h"
#include "common/number_text.h"
#include "common/text_file.h"
#include "platform/error.h"
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

QStringList readPositionFile(const QString& path, bool* busy) {
    const textfile::ReadResult file = textfile::readLines(path, textfile::LoneLf::EndsLine);
    if (busy) *busy = file.busy;
    const QString consequence = QStringLiteral("Вместо неверных строк взято обычное место картинки.");
    // A held file passes: nothing of it is wrong, and it is left as it is.
    if (file.busy)
        filemsg::reportUnreadable(path, file.error,
                                  QStringLiteral("Он занят другой программой; картинка пока стоит на обычном "
                                                 "месте, а файл оставлен как есть."));
    else if (!file.error.isEmpty())
        filemsg::reportUnreadable(path, file.error, QStringLiteral("Взято обычное место картинки."));
    // What a file that is there and read holds in place of the four numbers.
    QStringList wrong;
    QStringList boxes;
    for (qsizetype i = 0; i < 4; ++i) {
        const PositionLine& line = kPositionLines[i];
        const QString text = file.lines.value(i);
        const std::optional<double> number = boxNumber(text);
        if (!number) {
            boxes << QString::fromUtf16(line.design);
            if (i < file.lines.size())
                wrong << filemsg::notANumber(i + 1, text);
            else if (!file.lines.isEmpty())
                wrong << QStringLiteral("нет строки %1").arg(i + 1);
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
    if (file.exists && file.error.isEmpty() && file.lines.isEmpty()) wrong << QStringLiteral("файл пуст");
    if (!wrong.isEmpty()) filemsg::reportUnreadable(path, wrong.join(QStringLiteral("; ")), consequence);
    return boxes;
}

}  // namespace qr
