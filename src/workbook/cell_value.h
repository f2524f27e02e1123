#pragma once
// The value of one spreadsheet cell and the conversions its readers apply: to a single-precision
// number (field positions, font sizes), to a 16-bit integer (the field layout editor) and to text
// (captions, student names).
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

#include "common/number_text.h"

namespace workbook {

struct CellValue {
    enum class Kind { Empty, Number, Text, Boolean, DateTime, Error };
    Kind kind = Kind::Empty;
    double number = 0;  // Number; Boolean as 1 or 0
    QString text;       // Text as stored; DateTime and Error as written in the file; Boolean "1" or "0"

    static CellValue ofNumber(double value) { return {Kind::Number, value, {}}; }
    static CellValue ofText(QString value) { return {Kind::Text, 0, std::move(value)}; }
    bool isEmpty() const { return kind == Kind::Empty; }
    friend bool operator==(const CellValue&, const CellValue&) = default;
};

// A number, or a text in number form: optional blanks around, optional sign, digits with "," or
// "." as the decimal separator. An empty cell or an empty text is 0; Boolean true is -1 and false
// 0, the old convention of the callers. Anything else (a date, an error value, other text, a value
// beyond the float range) has no number: nullopt.
std::optional<float> toSingle(const CellValue& value);

// The same reading, rounded half to even (3360.5 → 3360, 3361.5 → 3362); nullopt outside
// -32768..32767.
std::optional<int16_t> toInteger16(const CellValue& value);

// Whole numbers without decimals ("2019"), other numbers in their shortest round-trip form with
// "." ("1.5"); an empty cell is ""; text, dates and error values as stored; Boolean "True"/"False".
QString toText(const CellValue& value);

// The number in a text written as toSingle reads it; nullopt for any other text.
inline std::optional<double> parseNumberText(QStringView text) {
    return numbertext::parse(text);
}

// The number form toText gives, shared by the writers so that a stored number reads back as written.
inline QString numberText(double value) {
    return numbertext::format(value);
}

}  // namespace workbook
