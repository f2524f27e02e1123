#include "workbook/cell_value.h"

#include <gtest/gtest.h>

#include <limits>

using workbook::CellValue;
using Kind = CellValue::Kind;

namespace {

CellValue text(const char* t) {
    return CellValue::ofText(QString::fromUtf8(t));
}
CellValue number(double n) {
    return CellValue::ofNumber(n);
}
CellValue boolean(bool on) {
    return {Kind::Boolean, on ? 1.0 : 0.0, on ? "1" : "0"};
}

}  // namespace

TEST(CellValue, ToSingleReadsNumbersAndTextsInNumberForm) {
    struct Case {
        CellValue value;
        std::optional<float> expected;
    };
    const Case cases[] = {
        {number(3360), 3360.f},
        {number(0.1), 0.1f},  // rounded to the nearest float, not kept as the double
        {{}, 0.f},
        {text(""), 0.f},
        {text("1800"), 1800.f},
        {text("  1800 "), 1800.f},
        {text("12,5"), 12.5f},
        {text("12.5"), 12.5f},
        {text("-7"), -7.f},
        {text("+7"), 7.f},
        {text(",5"), 0.5f},
        {boolean(true), -1.f},
        {boolean(false), 0.f},
        {text("   "), std::nullopt},
        {text("12,5,1"), std::nullopt},
        {text("1e3"), std::nullopt},
        {text("12 5"), std::nullopt},
        {text("--1"), std::nullopt},
        {text("abc"), std::nullopt},
        {text("."), std::nullopt},
        {number(1e300), std::nullopt},
        {{Kind::DateTime, 0, "2019-06-30T00:00:00.000"}, std::nullopt},
        {{Kind::Error, 0, "#N/A"}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.value.kind) << " text \""
                                        << c.value.text.toStdString() << "\" number " << c.value.number);
        EXPECT_EQ(workbook::toSingle(c.value), c.expected);
    }
}

TEST(CellValue, ToInteger16RoundsHalfToEvenAndRefusesWhatDoesNotFit) {
    struct Case {
        CellValue value;
        std::optional<int16_t> expected;
    };
    const Case cases[] = {
        {number(3360.5), 3360},
        {number(3361.5), 3362},
        {number(-2.5), -2},
        {number(-3.5), -4},
        {number(3360.4), 3360},
        {number(3360.6), 3361},
        {text("3361,5"), 3362},
        {text(" 1320 "), 1320},
        {{}, 0},
        {text(""), 0},
        {boolean(true), -1},
        {number(32767), 32767},
        {number(32767.4), 32767},
        {number(-32768.5), -32768},
        {number(32767.5), std::nullopt},
        {number(-32769), std::nullopt},
        {number(1e10), std::nullopt},
        {text("40000"), std::nullopt},
        {text("x"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "text \"" << c.value.text.toStdString() << "\" number " << c.value.number);
        EXPECT_EQ(workbook::toInteger16(c.value), c.expected);
    }
}

TEST(CellValue, ToTextWritesWholeNumbersWithoutDecimalsAndOthersShortest) {
    struct Case {
        CellValue value;
        const char* expected;
    };
    const Case cases[] = {
        {number(2019), "2019"},
        {number(-45), "-45"},
        {number(100000), "100000"},
        {number(1e14), "100000000000000"},
        {number(-0.0), "0"},
        {number(1.5), "1.5"},
        {number(0.1), "0.1"},
        {number(1.0 / 3), "0.3333333333333333"},
        {number(1e20), "1e+20"},
        {{}, ""},
        {text("Фамилия"), "Фамилия"},
        {text(" 007 "), " 007 "},
        {boolean(true), "True"},
        {{Kind::DateTime, 0, "2019-06-30T00:00:00.000"}, "2019-06-30T00:00:00.000"},
        {{Kind::Error, 0, "#DIV/0!"}, "#DIV/0!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(workbook::toText(c.value), QString::fromUtf8(c.expected)) << c.expected;
    }
}

TEST(CellValue, NumberTextReadsBackAsTheSameNumber) {
    // The grid stores a typed text as a Number only when numberText gives that text back; this is
    // the other half of that promise.
    for (const double d : {0.1, 1.0 / 3, 2019.0, -123456789.125, 0.000123}) {
        const QString t = workbook::numberText(d);
        EXPECT_EQ(workbook::parseNumberText(t), d) << t.toStdString();
    }
}
