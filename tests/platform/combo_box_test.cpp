// The keyboard in an editable combo box: the arrow keys step from the entry that matches the text,
// Enter picks nothing. Keys go where the window system sends them: to the widget with the focus.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "operator.h"
#include "platform/controls.h"

namespace {

class ComboKeys : public testing::Test {
protected:
    void SetUp() override {
        Combo1.create(form, "Combo1", {120, 120, 2400, 315});
        Text1.create(form, "Text1", {120, 600, 2400, 285});
        Combo1.addItems({"7", "8", "9", "10", "11", "12", "Times New Roman"});
        Combo1.onClick = [this] { ++clicks; };
        Combo1.onChange = [this] { ++changes; };
        Combo1.onKeyPress = [this](std::int16_t& key) { keys.push_back(key); };
        ASSERT_TRUE(showAndExpose(form.window()));
        form.window()->activateWindow();
        Combo1.widget()->setFocus();
    }
    QComboBox* comboWidget() const { return static_cast<QComboBox*>(Combo1.widget()); }
    // The widget the window system would deliver a key to.
    QWidget* focused() const {
        QWidget* w = QApplication::focusWidget();
        return w ? w : comboWidget();
    }
    void press(Qt::Key key) { QTest::keyClick(focused(), key); }
    void type(const QString& text) {
        comboWidget()->lineEdit()->selectAll();
        typeText(focused(), text);
    }

    ScriptedScope services;
    ui::Form form{"Keys"};
    ui::ComboBox Combo1;
    ui::TextBox Text1;
    int clicks = 0, changes = 0;
    std::vector<int> keys;
};

TEST_F(ComboKeys, ArrowKeysStepFromTheEntryThatMatchesTheText) {
    struct Case {
        const char* what;
        bool typed;  // typed by the operator, else written by code
        QString text;
        Qt::Key key;
        QString after;  // the text after the key
        int index;      // ListIndex after the key
        int clicks;
    };
    const Case cases[] = {
        {"code wrote 10, Down", false, "10", Qt::Key_Down, "11", 4, 1},
        {"code wrote 10, Up", false, "10", Qt::Key_Up, "9", 2, 1},
        {"typed 10, Down", true, "10", Qt::Key_Down, "11", 4, 1},
        {"typed 8, Up", true, "8", Qt::Key_Up, "7", 0, 1},
        {"letter case does not matter", true, "times new roman", Qt::Key_Up, "12", 5, 1},
        {"no entry matches: Down takes the first", false, "14", Qt::Key_Down, "7", 0, 1},
        {"last entry, Down: nothing moves", false, "Times New Roman", Qt::Key_Down, "Times New Roman", -1, 0},
        {"first entry, Up: nothing moves", true, "7", Qt::Key_Up, "7", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Start from a pick elsewhere in the list, so a step from the old pick would show.
        Combo1.setListIndex(1);
        if (c.typed)
            type(c.text);
        else
            Combo1.setText(c.text);
        ASSERT_EQ(Combo1.text(), c.text);
        ASSERT_EQ(Combo1.listIndex(), -1);
        clicks = 0;
        press(c.key);
        EXPECT_EQ(Combo1.text(), c.after);
        EXPECT_EQ(Combo1.listIndex(), c.index);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(comboWidget()->currentText(), c.after);
    }
}

TEST_F(ComboKeys, AStepAfterAPickGoesOnFromThePick) {
    Combo1.setListIndex(2);
    clicks = 0;
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(Combo1.text(), "11");
    EXPECT_EQ(Combo1.listIndex(), 4);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ComboKeys, EnterOnTheExactTextOfAnEntryPicksNothing) {
    for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(enter == Qt::Key_Return ? "Return" : "Enter");
        Combo1.setText({});
        type("12");
        changes = clicks = 0;
        keys.clear();
        press(enter);
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(changes, 0);
        EXPECT_EQ(Combo1.listIndex(), -1);
        EXPECT_EQ(Combo1.text(), "12");
        EXPECT_EQ(comboWidget()->currentText(), "12");
        EXPECT_EQ(Combo1.listCount(), 7);
        EXPECT_EQ(comboWidget()->count(), 7);
        // The key still reaches KeyPress, as every key that types a character does.
        EXPECT_EQ(keys, std::vector<int>{13});
    }
}

TEST_F(ComboKeys, TheOpenedListStartsAtTheEntryThatMatchesTheText) {
    Combo1.setListIndex(1);
    Combo1.setText("11");
    QComboBox* b = comboWidget();
    const QPoint arrow(b->width() - 4, b->height() / 2);
    QTest::mouseClick(b, Qt::LeftButton, {}, arrow);
    ASSERT_TRUE(b->view()->isVisible());
    EXPECT_EQ(b->view()->currentIndex().row(), 4);
    EXPECT_EQ(Combo1.text(), "11");
    b->hidePopup();
    EXPECT_EQ(clicks, 1);  // only the code's pick of entry 1
}

// The drop-down list shows a huge entry by its beginning, as a list box does; a pick takes it whole.
TEST_F(ComboKeys, TheDropDownListShowsAHugeEntryByItsBeginningAndAPickTakesItWhole) {
    const QString huge = QString(1'000'000, u'W');
    Combo1.addItems({huge});
    QComboBox* b = comboWidget();
    b->showPopup();
    ASSERT_TRUE(b->view()->isVisible());
    const QModelIndex row = b->view()->model()->index(7, 0);
    const QString shown = row.data().toString();
    EXPECT_LE(shown.size(), 4096);
    EXPECT_TRUE(huge.startsWith(shown));
    EXPECT_EQ(b->view()->visualRect(row).height(),
              b->view()->visualRect(b->view()->model()->index(0, 0)).height());
    b->hidePopup();
    Combo1.setListIndex(7);
    EXPECT_EQ(Combo1.text(), huge);
    EXPECT_EQ(Combo1.list(7), huge);
}

TEST_F(ComboKeys, EveryTypedKeyReachesKeyPressOnceOnEitherRoad) {
    Combo1.setText({});
    keys.clear();
    typeText(focused(), "ab");
    typeText(comboWidget()->lineEdit(), "c");
    EXPECT_EQ(keys, (std::vector<int>{'a', 'b', 'c'}));
    EXPECT_EQ(Combo1.text(), "abc");
    // A refusal holds on the road the window system takes.
    Combo1.onKeyPress = [](std::int16_t& key) { key = 0; };
    typeText(focused(), "d");
    EXPECT_EQ(Combo1.text(), "abc");
}

// The drop-down list is built on the first drop-down; it must still show the box's font and colours,
// whether they were set before it was built or after.
TEST_F(ComboKeys, TheDropDownListShowsTheBoxsFontAndColours) {
    QComboBox* b = comboWidget();
    const QPoint arrow(b->width() - 4, b->height() / 2);
    const auto expectTheBoxsLook = [&](const char* when) {
        SCOPED_TRACE(when);
        QTest::mouseClick(b, Qt::LeftButton, {}, arrow);
        ASSERT_TRUE(b->view()->isVisible());
        EXPECT_EQ(b->view()->font(), b->font());
        EXPECT_EQ(b->view()->palette().color(QPalette::Text), b->palette().color(QPalette::Text));
        EXPECT_EQ(b->view()->palette().color(QPalette::Base), b->palette().color(QPalette::Base));
        b->hidePopup();
    };
    Combo1.setFont({.name = QStringLiteral("Times New Roman"), .size = 14, .bold = true});
    Combo1.setForeColor(0x0000FF);
    Combo1.setBackColor(0x00FFFF);
    expectTheBoxsLook("set before the first drop-down");
    Combo1.setFont({.name = QStringLiteral("Arial"), .size = 10, .italic = true});
    Combo1.setForeColor(0xFF0000);
    Combo1.setBackColor(0xC0C0C0);
    expectTheBoxsLook("set after it");
}

TEST_F(ComboKeys, TypingCompletesNothing) {
    Combo1.setText({});
    typeText(focused(), "Ti");
    EXPECT_EQ(Combo1.text(), "Ti");
    EXPECT_EQ(comboWidget()->lineEdit()->text(), "Ti");
    EXPECT_EQ(comboWidget()->completer(), nullptr);
    EXPECT_EQ(comboWidget()->lineEdit()->completer(), nullptr);
}

}  // namespace
