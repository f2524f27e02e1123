#pragma once
// The main window shown on the (offscreen) screen with its layout workbook at hand, for the layout
// view and the field layout editor: cells read and written by name, controls clicked where they
// are on the window, so a control that something covers gets no click.
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include "main_window/vazed_fixture.h"
#include "main_window/vazed_tables.h"
#include "support/scroll_bar_parts.h"
#include "workbook/cell_value.h"
#include "workbook/ziruduzizozod.h"

class LayoutTest : public VazedTest {
protected:
    velmox::Vazed& startShown() {
        velmox::Vazed& v = start();
        v.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(v.window()));
        return v;
    }
    static QWindow* windowOf(const velmox::Vazed& v) { return v.window()->windowHandle(); }
    // The middle of a control, in the window's pixels.
    static QPoint middleOf(const ui::Control& c) {
        return c.widget()->mapTo(c.widget()->window(), c.widget()->rect().center());
    }
    // A left click where the control stands, delivered to whatever the window shows there.
    static void clickOn(const velmox::Vazed& v, const ui::Control& c) {
        QTest::mouseMove(windowOf(v), middleOf(c));
        QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, middleOf(c));
    }
    static QScrollBar* qbar(const ui::ScrollBar& b) { return static_cast<QScrollBar*>(b.widget()); }
    // A click on a part of a bar (arrow, track), in the window, where the operator would click.
    static void clickPart(const velmox::Vazed& v, const ui::ScrollBar& b, QStyle::SubControl part) {
        const QPoint at = qbar(b)->mapTo(b.widget()->window(), scrollBarPart(qbar(b), part).center());
        QTest::mouseClick(windowOf(v), Qt::LeftButton, {}, at);
    }

    static QString cell(const QString& name) { return workbook::toText(velmox::layoutSheet().cell(name)); }
    // Writes a cell as the grid does: number form as a number, anything else as text, "" empties it.
    static void setCell(int row, QChar column, const QString& text) {
        velmox::layoutSheet().setText(row, column.toUpper().unicode() - 'A' + 1, text);
    }
    // Top and Left of every field label, and every position cell, for "nothing else moved".
    static QStringList placesAndCells(const velmox::Vazed& v) {
        QStringList out;
        for (const velmox::PrintField& f : velmox::kPrintFields) {
            const ui::Label& l = v.*f.label;
            out << QStringLiteral("%1 at %2,%3")
                       .arg(velmox::fieldLabelName(f))
                       .arg(l.left().value)
                       .arg(l.top().value);
        }
        for (int row = 1; row <= 49; ++row)
            out << QStringLiteral("C%1=%2 E%1=%3")
                       .arg(row)
                       .arg(cell(QStringLiteral("C%1").arg(row)), cell(QStringLiteral("E%1").arg(row)));
        return out;
    }
};
