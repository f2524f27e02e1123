#include "workbook/cell_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace workbook {

std::optional<double> parseNumberText(QStringView text) {
    const QStringView t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size());
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-') ascii += '-';
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            ascii += char(c.unicode());
            ++digits;
        } else if ((c == u'.' || c == u',') && !separator) {
            ascii += '.';
            separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    double result = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return result;
}

QString numberText(double value) {
    if (value == 0) return QStringLiteral("0");  // also -0
    // Below 1e15 a whole double is exact and short as an integer; larger ones read better as 1e+15.
    if (std::trunc(value) == value && std::fabs(value) < 1e15) return QString::number(qint64(value));
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, ec == std::errc() ? end - buffer : 0);
}

namespace {

std::optional<double> toDouble(const CellValue& value) {
    switch (value.kind) {
        case CellValue::Kind::Empty:
            return 0.0;
        case CellValue::Kind::Number:
            return value.number;
        case CellValue::Kind::Boolean:
            return value.number != 0 ? -1.0 : 0.0;
        case CellValue::Kind::Text:
            if (value.text.isEmpty()) return 0.0;
            return parseNumberText(value.text);
        case CellValue::Kind::DateTime:
        case CellValue::Kind::Error:
            break;
    }
    return std::nullopt;
}

double roundHalfToEven(double v) {
    const double below = std::floor(v);
    const double fraction = v - below;
    if (fraction > 0.5) return below + 1;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

}  // namespace

std::optional<float> toSingle(const CellValue& value) {
    const auto d = toDouble(value);
    if (!d || !std::isfinite(*d)) return std::nullopt;
    const float f = float(*d);
    if (!std::isfinite(f)) return std::nullopt;
    return f;
}

std::optional<int16_t> toInteger16(const CellValue& value) {
    const auto d = toDouble(value);
    if (!d || !std::isfinite(*d)) return std::nullopt;
    const double r = roundHalfToEven(*d);
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return int16_t(r);
}

QString toText(const CellValue& value) {
    switch (value.kind) {
        case CellValue::Kind::Empty:
            return {};
        case CellValue::Kind::Number:
            return numberText(value.number);
        case CellValue::Kind::Boolean:
            return value.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
        case CellValue::Kind::Text:
        case CellValue::Kind::DateTime:
        case CellValue::Kind::Error:
            break;
    }
    return value.text;
}

}  // namespace workbook
