// Selecting a print field by its field label and moving it with the two bars: the key table, the
// rounding, the colours, and cells that do not fit a bar.
#include "main_window/layout_fixture.h"

using velmox::Vazed;

namespace {

// The field label of a key, through the print field table.
const velmox::PrintField& fieldOf(const char* key) {
    for (const velmox::PrintField& f : velmox::kPrintFields)
        if (QLatin1String(f.key) == QLatin1String(key)) return f;
    throw std::logic_error("no such key");
}

// "" when exactly `selected` is red and the other 46 carry the button-text colour, else what differs.
QString colourFault(const Vazed& v, const ui::Label& selected) {
    QStringList wrong;
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        const ui::Label& l = v.*f.label;
        const ui::OleColor want = &l == &selected ? 255 : ui::syscolor::kButtonText;
        if (l.foreColor() != want) wrong << velmox::fieldLabelName(f);
    }
    return wrong.join(' ');
}

}  // namespace

TEST_F(LayoutTest, SelectionWritesTheKeyPutsBothCellsOnTheBarsMovesOnlyItsLabelAndMarksIt) {
    struct Case {
        const char* key;
        ui::Label Vazed::*label;
        int row;
    };
    // clang-format off
    const Case cases[] = {
        {"1", &Vazed::Label1, 1},
        {"26", &Vazed::Label26, 26},
        {"44", &Vazed::Label44, 44},
        {"45", &Vazed::Label76, 47},
        {"48", &Vazed::Label78, 48},
        {"49", &Vazed::Label79, 49},
    };
    // clang-format on
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const int top = 2000 + 10 * c.row, left = 100 + 20 * c.row;
        setCell(c.row, 'C', QString::number(top));
        setCell(c.row, 'E', QString::number(left));
        QStringList others = placesAndCells(v);
        ui::Label& label = v.*c.label;

        label.onClick();

        EXPECT_EQ(v.Text100.text(), QLatin1String(c.key));
        EXPECT_EQ(v.VScroll1.value(), top);
        EXPECT_EQ(v.HScroll1.value(), left);
        EXPECT_EQ(label.top().value, top);
        EXPECT_EQ(label.left().value, left);
        EXPECT_EQ(cell(QStringLiteral("c%1").arg(c.row)), QString::number(top));
        EXPECT_EQ(cell(QStringLiteral("e%1").arg(c.row)), QString::number(left));
        EXPECT_EQ(colourFault(v, label), "");
        // Nothing but the selected label's own place moved.
        const QString name = velmox::fieldLabelName(fieldOf(c.key));
        QStringList now = placesAndCells(v);
        for (QStringList* l : {&others, &now})
            l->removeIf([&](const QString& s) { return s.startsWith(name + " at"); });
        EXPECT_EQ(now, others);
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, EveryFieldLabelSelectsItsOwnKeyAndRowAndNoKeyNamesRows45Or46) {
    Vazed& v = start();
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        setCell(f.row, 'C', QString::number(1400 + 100 * (f.row % 60)));
        setCell(f.row, 'E', QString::number(50 * f.row));
    }
    setCell(45, 'C', "7777");
    setCell(46, 'E', "8888");
    QStringList keys;
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        (v.*f.label).onClick();
        keys << v.Text100.text();
        EXPECT_EQ(v.VScroll1.value(), 1400 + 100 * (f.row % 60)) << f.key;
        EXPECT_EQ(v.HScroll1.value(), 50 * f.row) << f.key;
        EXPECT_EQ(colourFault(v, v.*f.label), "") << f.key;
    }
    QStringList expected;
    for (int k = 1; k <= 45; ++k) expected << QString::number(k);
    expected << "48"
             << "49";
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(cell("C45"), "7777");
    EXPECT_EQ(cell("E46"), "8888");
}

TEST_F(LayoutTest, ABarThatAlreadyHoldsTheRoundedCellRewritesNothingSoAFractionSurvives) {
    struct Case {
        const char* what;
        QChar column;
        const char* stored;
        int barBefore;  // set through another field's selection
        int bar;        // the bar afterwards
        const char* cellAfter;
    };
    // clang-format off
    const Case cases[] = {
        {"half down to even", 'C', "3360.5", 3000, 3360, "3360"},
        {"half up to even", 'C', "3361.5", 3000, 3362, "3362"},
        {"half down to even", 'C', "3960.5", 3000, 3960, "3960"},
        {"half up to even", 'C', "3961.5", 3000, 3962, "3962"},
        {"already there: kept", 'C', "3360.5", 3360, 3360, "3360.5"},
        {"left half to even", 'E', "1800.5", 900, 1800, "1800"},
        {"left already there: kept", 'E', "1800.5", 1800, 1800, "1800.5"},
        {"empty left goes to 0", 'E', "", 900, 0, "0"},
        {"number in text form", 'C', "4000", 3000, 4000, "4000"},
    };
    // clang-format on
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Field 2 puts the bar where the case wants it; field 1 is the one selected.
        setCell(2, 'C', QString::number(c.column == 'C' ? c.barBefore : 2000));
        setCell(2, 'E', QString::number(c.column == 'E' ? c.barBefore : 500));
        v.Label2.onClick();
        setCell(1, c.column, QString::fromLatin1(c.stored));
        const QString name = QStringLiteral("%1%2").arg(c.column).arg(1);
        const float labelBefore = c.column == 'C' ? v.Label1.top().value : v.Label1.left().value;

        v.Label1.onClick();

        const ui::ScrollBar& bar =
            c.column == 'C' ? static_cast<const ui::ScrollBar&>(v.VScroll1) : v.HScroll1;
        EXPECT_EQ(bar.value(), c.bar);
        EXPECT_EQ(cell(name), QLatin1String(c.cellAfter));
        const float labelAfter = c.column == 'C' ? v.Label1.top().value : v.Label1.left().value;
        EXPECT_EQ(labelAfter, c.barBefore == c.bar ? labelBefore : float(c.bar));
    }
}

TEST_F(LayoutTest, ACellThatDoesNotFitItsBarCompletesTheSelectionAndMovesNothing) {
    struct Case {
        const char* what;
        QChar column;
        const char* stored;
        int bar;  // where the bar stands afterwards; 1500 (or 700) is where it stood
    };
    // clang-format off
    const Case cases[] = {
        {"top below the range", 'C', "1000", 1320},
        {"top above the range", 'C', "9000", 8075},
        {"top rounds just past the range", 'C', "8075.6", 8075},
        {"empty top", 'C', "", 1320},
        {"negative top", 'C', "-5", 1320},
        {"top beyond 16 bits", 'C', "70000", 8075},
        {"top beyond 16 bits below", 'C', "-70000", 1320},
        {"top that is no number", 'C', "abc", 1500},
        {"top in a form that is no number", 'C', "12px", 1500},
        {"left below the range", 'E', "-1", 0},
        {"left above the range", 'E', "10801", 10800},
        {"left beyond 16 bits", 'E', "99999", 10800},
        {"left that is no number", 'E', "xyz", 700},
    };
    // clang-format on
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setCell(2, 'C', "1500");
        setCell(2, 'E', "700");
        v.Label2.onClick();
        setCell(1, 'C', "3360");
        setCell(1, 'E', "1800");
        setCell(1, c.column, QString::fromLatin1(c.stored));
        v.Label1.move(ui::Twips(1111), ui::Twips(2222));
        const QStringList before = placesAndCells(v);

        v.Label1.onClick();

        EXPECT_EQ(v.Text100.text(), "1");
        EXPECT_EQ(colourFault(v, v.Label1), "");
        const ui::ScrollBar& bad =
            c.column == 'C' ? static_cast<const ui::ScrollBar&>(v.VScroll1) : v.HScroll1;
        const ui::ScrollBar& good =
            c.column == 'C' ? static_cast<const ui::ScrollBar&>(v.HScroll1) : v.VScroll1;
        EXPECT_EQ(bad.value(), c.bar);
        EXPECT_EQ(good.value(), c.column == 'C' ? 1800 : 3360);
        // The fitting cell moved the label on its own axis; the other axis and cell stay.
        QStringList after = placesAndCells(v);
        QStringList expected = before;
        const QString moved =
            c.column == 'C' ? QStringLiteral("Label1 at 1800,2222") : QStringLiteral("Label1 at 1111,3360");
        expected.replace(expected.indexOf(QStringLiteral("Label1 at 1111,2222")), moved);
        EXPECT_EQ(after, expected);
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, AfterABarShownAtItsEndTheOperatorsMoveWritesTheCellAndPlacesTheLabel) {
    Vazed& v = startShown();
    v.Image15_Click();
    setCell(1, 'C', "9000");
    v.Label1.onClick();
    ASSERT_EQ(v.VScroll1.value(), 8075);
    ASSERT_EQ(cell("C1"), "9000");
    QTest::keyClick(qbar(v.VScroll1), Qt::Key_Up);
    EXPECT_EQ(cell("C1"), "8055");
    EXPECT_EQ(v.Label1.top().value, 8055);
}

TEST_F(LayoutTest, TheBarsMoveOnlyTheFieldWhoseKeyIsInText100ExactlyAndWriteItsOwnCell) {
    struct Case {
        const char* key;
        ui::Label Vazed::*label;  // null: no field moves
        int row;
    };
    // clang-format off
    const Case cases[] = {
        {"1", &Vazed::Label1, 1},
        {"3", &Vazed::Label3, 3},
        {"45", &Vazed::Label76, 47},
        {"48", &Vazed::Label78, 48},
        {"49", &Vazed::Label79, 49},
        {"", nullptr, 0},
        {"46", nullptr, 0},
        {"47", nullptr, 0},
        {" 1", nullptr, 0},
        {"1 ", nullptr, 0},
        {"01", nullptr, 0},
        {"Label1", nullptr, 0},
    };
    // clang-format on
    Vazed& v = start();
    int step = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("key \"") + c.key + "\"");
        v.Text100.setText(QLatin1String(c.key));
        QStringList expected = placesAndCells(v);
        const int top = 2000 + 20 * ++step, left = 3000 + 20 * step;
        v.VScroll1.setValue(top);
        v.HScroll1.setValue(left);
        if (c.label) {
            const QString name = velmox::fieldLabelName(fieldOf(c.key));
            for (QString& s : expected) {
                if (s.startsWith(name + " at"))
                    s = QStringLiteral("%1 at %2,%3").arg(name).arg(left).arg(top);
                if (s.startsWith(QStringLiteral("C%1=").arg(c.row)))
                    s = QStringLiteral("C%1=%2 E%1=%3").arg(c.row).arg(top).arg(left);
            }
        }
        EXPECT_EQ(placesAndCells(v), expected);
    }
}

TEST_F(LayoutTest, MovingAFieldFedByTheSameEntryAsAnotherMovesOnlyTheSelectedOne) {
    Vazed& v = start();
    const QString e26 = cell("E26"), c26 = cell("C26");
    const float left26 = v.Label26.left().value, top26 = v.Label26.top().value;
    v.Label3.onClick();
    v.HScroll1.setValue(v.HScroll1.value() + 500);
    v.VScroll1.setValue(v.VScroll1.value() + 20);
    EXPECT_EQ(v.Label3.left().value, float(v.HScroll1.value()));
    EXPECT_EQ(v.Label3.top().value, float(v.VScroll1.value()));
    EXPECT_EQ(cell("E26"), e26);
    EXPECT_EQ(cell("C26"), c26);
    EXPECT_EQ(v.Label26.left().value, left26);
    EXPECT_EQ(v.Label26.top().value, top26);
}

TEST_F(LayoutTest, ASecondSelectionTurnsTheFirstLabelBackAndTheMarkSurvivesBothViewsAndThePlacement) {
    Vazed& v = start();
    v.Image15_Click();
    v.Label5.onClick();
    v.Label30.onClick();
    EXPECT_EQ(colourFault(v, v.Label30), "");
    v.Image18_Click();
    v.Image15_Click();  // places every label again from the table
    EXPECT_EQ(v.Text100.text(), "30");
    EXPECT_EQ(colourFault(v, v.Label30), "");
    // A new caption leaves the mark as it is.
    v.Text5.setText(QStringLiteral("2024"));
    EXPECT_EQ(colourFault(v, v.Label30), "");
}
