#include "workbook/cell_value.h"

#include <cmath>
#include <limits>

namespace workbook {

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
