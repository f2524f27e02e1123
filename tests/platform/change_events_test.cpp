// When Change and Click run: writes from code, the operator's typing and picking, nesting.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <map>
#include <string>

#include "operator.h"
#include "platform/controls.h"

namespace {

// One of every control whose property writes run a handler, on a shown window.
class ChangeEvents : public testing::Test {
protected:
    void SetUp() override {
        Text1.create(form, "Text1", {120, 120, 2400, 300});
        Label1.create(form, "Label1", {120, 600, 2400, 300});
        Combo1.create(form, "Combo1", {120, 1080, 2400, 315});
        Check1.create(form, "Check1", {120, 1560, 2400, 300});
        List1.create(form, "List1", {2700, 120, 1800, 1200});
        HScroll1.create(form, "HScroll1", {120, 2040, 2400, 255});
        for (const char* item : {"one", "two", "three"}) {
            Combo1.addItem(item);
            List1.addItem(item);
        }
        HScroll1.setRange(0, 100);
        Text1.onChange = [this] { ++runs["Text1.Change"]; };
        Label1.onChange = [this] { ++runs["Label1.Change"]; };
        Combo1.onChange = [this] { ++runs["Combo1.Change"]; };
        Combo1.onClick = [this] { ++runs["Combo1.Click"]; };
        Check1.onClick = [this] { ++runs["Check1.Click"]; };
        List1.onClick = [this] { ++runs["List1.Click"]; };
        HScroll1.onChange = [this] { ++runs["HScroll1.Change"]; };
        HScroll1.onScroll = [this] { ++runs["HScroll1.Scroll"]; };
        ASSERT_TRUE(showAndExpose(form.window()));
    }

    QLineEdit* textEdit() const { return static_cast<QLineEdit*>(Text1.widget()); }
    QComboBox* comboWidget() const { return static_cast<QComboBox*>(Combo1.widget()); }
    int total() const {
        int n = 0;
        for (const auto& [name, count] : runs) n += count;
        return n;
    }

    ScriptedScope services;
    ui::Form form{"Events"};
    ui::TextBox Text1;
    ui::Label Label1;
    ui::ComboBox Combo1;
    ui::CheckBox Check1;
    ui::ListBox List1;
    ui::HScrollBar HScroll1;
    std::map<std::string, int> runs;
};

TEST_F(ChangeEvents, CodeWriteRunsItsOwnHandlerOnceAndAnUnchangedWriteRunsNone) {
    struct Case {
        const char* handler;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"Text1.Change", [this] { Text1.setText("abc"); }},
        {"Label1.Change", [this] { Label1.setCaption("abc"); }},
        {"Combo1.Change", [this] { Combo1.setText("abc"); }},
        {"Combo1.Click", [this] { Combo1.setListIndex(1); }},
        {"Check1.Click", [this] { Check1.setValue(1); }},
        {"List1.Click", [this] { List1.setListIndex(2); }},
        {"HScroll1.Change", [this] { HScroll1.setValue(40); }},
    };
    for (const Case& c : cases) {
        const int before = total();
        c.write();
        EXPECT_EQ(runs[c.handler], 1) << c.handler << " after the first write";
        EXPECT_EQ(total(), before + 1) << c.handler << ": no other handler may run";
        c.write();
        EXPECT_EQ(runs[c.handler], 1) << c.handler << " after writing the same value again";
        EXPECT_EQ(total(), before + 1) << c.handler;
    }
    EXPECT_EQ(Combo1.text(), "two") << "a ListIndex write brings the item's text";
    EXPECT_EQ(comboWidget()->currentText(), "two");
    EXPECT_EQ(List1.text(), "three");
}

TEST_F(ChangeEvents, HandlerRunsInsideTheWriteAndSeesTheNewValue) {
    QString seen;
    Text1.onChange = [&] { seen = Text1.text() + "|" + textEdit()->text(); };
    Text1.setText("new");
    EXPECT_EQ(seen, "new|new");
}

TEST_F(ChangeEvents, OperatorTypingRunsChangeOncePerKeyAndShowsNoOtherHandler) {
    typeText(textEdit(), "x");
    EXPECT_EQ(runs["Text1.Change"], 1);
    EXPECT_EQ(Text1.text(), "x");
    typeText(textEdit(), "y");
    QTest::keyClick(textEdit(), Qt::Key_Backspace);
    EXPECT_EQ(runs["Text1.Change"], 3);
    EXPECT_EQ(Text1.text(), "x");
    EXPECT_EQ(total(), 3);
}

TEST_F(ChangeEvents, TextBoxHasNoPracticalLengthLimit) {
    const QString longText(100000, 'z');
    Text1.setText(longText);
    EXPECT_EQ(Text1.text().size(), longText.size());
    EXPECT_EQ(textEdit()->text().size(), longText.size());
    textEdit()->end(false);
    typeText(textEdit(), "!");
    EXPECT_EQ(Text1.text().size(), longText.size() + 1);
}

// Handler A writes B, whose handler writes C, whose handler writes D: each write runs its
// handler at once, so the chain unwinds in the reverse order it was entered.
TEST_F(ChangeEvents, HandlersNestInsideTheWritesThatCauseThem) {
    std::vector<std::string> order;
    Text1.onChange = [&] {
        order.push_back("Text1>");
        Label1.setCaption(Text1.text() + "1");
        order.push_back("Text1<");
    };
    Label1.onChange = [&] {
        order.push_back("Label1>");
        Combo1.setText(Label1.caption() + "2");
        order.push_back("Label1<");
    };
    Combo1.onChange = [&] {
        order.push_back("Combo1>");
        HScroll1.setValue(Combo1.text().size());
        order.push_back("Combo1<");
    };
    HScroll1.onChange = [&] { order.push_back("HScroll1"); };
    const std::vector<std::string> expected = {"Text1>",  "Label1>", "Combo1>", "HScroll1",
                                               "Combo1<", "Label1<", "Text1<"};

    struct Case {
        const char* trigger;
        std::function<void()> start;
        QString comboText;
    };
    const Case cases[] = {
        {"a write from code", [this] { Text1.setText("ab"); }, "ab12"},
        {"the operator's typing",
         [this] {
             textEdit()->end(false);
             typeText(textEdit(), "c");
         },
         "abc12"},
    };
    for (const Case& c : cases) {
        order.clear();
        c.start();
        EXPECT_EQ(order, expected) << c.trigger;
        EXPECT_EQ(Combo1.text(), c.comboText) << c.trigger;
        EXPECT_EQ(HScroll1.value(), c.comboText.size()) << c.trigger;
    }
}

TEST_F(ChangeEvents, HandlerThatRewritesItsOwnTextRunsOnceMoreAndThenStops) {
    int changes = 0;
    Text1.onChange = [&] {
        ++changes;
        Text1.setText(Text1.text().toUpper());
    };
    typeText(textEdit(), "q");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Text1.text(), "Q");
    EXPECT_EQ(textEdit()->text(), "Q");
}

TEST_F(ChangeEvents, DesignTextRunsNothingAndIsTheValueLaterWritesCompareWith) {
    struct Case {
        const char* handler;
        std::function<void(const QString&)> design, write;
        std::function<QString()> shown;
    };
    const Case cases[] = {
        {"Text1.Change", [this](const QString& t) { Text1.setDesignText(t); },
         [this](const QString& t) { Text1.setText(t); }, [this] { return textEdit()->text(); }},
        {"Combo1.Change", [this](const QString& t) { Combo1.setDesignText(t); },
         [this](const QString& t) { Combo1.setText(t); }, [this] { return comboWidget()->currentText(); }},
    };
    for (const Case& c : cases) {
        c.design("Design");
        EXPECT_EQ(runs[c.handler], 0) << c.handler;
        EXPECT_EQ(c.shown(), "Design") << c.handler;
        c.write("Design");
        EXPECT_EQ(runs[c.handler], 0) << c.handler << ": the design text is no change";
        c.write("Other");
        EXPECT_EQ(runs[c.handler], 1) << c.handler << ": the first different text is one";
    }
    EXPECT_EQ(total(), 2);
}

TEST_F(ChangeEvents, ComboClearEmptiesListAndTextAndRunsNothing) {
    Combo1.setListIndex(1);
    Combo1.setText("typed");
    runs.clear();
    Combo1.clear();
    EXPECT_EQ(total(), 0);
    EXPECT_EQ(Combo1.listCount(), 0);
    EXPECT_EQ(Combo1.text(), "");
    EXPECT_EQ(Combo1.listIndex(), -1);
    EXPECT_EQ(comboWidget()->count(), 0);
    EXPECT_EQ(comboWidget()->currentText(), "");
}

TEST_F(ChangeEvents, ComboPickByArrowKeysRunsClickNotChange) {
    struct Step {
        Qt::Key key;
        int index;
    };
    const Step steps[] = {{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}};
    int clicks = 0;
    for (const Step& s : steps) {
        QTest::keyClick(comboWidget(), s.key);
        ++clicks;
        EXPECT_EQ(Combo1.listIndex(), s.index);
        EXPECT_EQ(Combo1.text(), Combo1.list(s.index));
        EXPECT_EQ(runs["Combo1.Click"], clicks);
        EXPECT_EQ(runs["Combo1.Change"], 0);
    }
}

TEST_F(ChangeEvents, ComboPickByMouseRunsClickNotChange) {
    QComboBox* box = comboWidget();
    box->showPopup();
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(view->model()->index(2, 0));
    ASSERT_TRUE(item.isValid());
    QTest::mouseMove(view->viewport(), item.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(Combo1.listIndex(), 2);
    EXPECT_EQ(Combo1.text(), "three");
    EXPECT_EQ(box->currentText(), "three");
    EXPECT_EQ(runs["Combo1.Click"], 1);
    EXPECT_EQ(runs["Combo1.Change"], 0);
}

TEST_F(ChangeEvents, ComboTypingRunsChangeNotClickAndEnterAddsNoItem) {
    Combo1.setListIndex(0);
    runs.clear();
    QLineEdit* edit = comboWidget()->lineEdit();
    edit->end(false);
    typeText(edit, "s");
    EXPECT_EQ(runs["Combo1.Change"], 1);
    EXPECT_EQ(runs["Combo1.Click"], 0);
    EXPECT_EQ(Combo1.text(), "ones");
    EXPECT_EQ(Combo1.listIndex(), -1) << "typed text is no longer the picked item";
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Combo1.listCount(), 3);
    EXPECT_EQ(comboWidget()->count(), 3);
    EXPECT_EQ(Combo1.text(), "ones");
}

TEST_F(ChangeEvents, ComboKeepsDuplicatesInTheOrderAdded) {
    Combo1.addItem("one");
    ASSERT_EQ(Combo1.listCount(), 4);
    EXPECT_EQ(Combo1.list(3), "one");
    EXPECT_EQ(comboWidget()->itemText(3), "one");
    Combo1.setListIndex(3);
    EXPECT_EQ(Combo1.listIndex(), 3);
}

TEST_F(ChangeEvents, ListIndexOutsideTheListThrowsAndChangesNothing) {
    Combo1.setListIndex(1);
    List1.setListIndex(1);
    runs.clear();
    for (int bad : {-2, 3, 100}) {
        EXPECT_THROW(Combo1.setListIndex(bad), std::out_of_range) << bad;
        EXPECT_THROW(List1.setListIndex(bad), std::out_of_range) << bad;
    }
    EXPECT_EQ(Combo1.listIndex(), 1);
    EXPECT_EQ(List1.listIndex(), 1);
    EXPECT_EQ(total(), 0);
}

TEST_F(ChangeEvents, OperatorCheckAndListPickRunClickOnce) {
    QStyleOptionButton option;
    option.initFrom(Check1.widget());
    const QRect box = Check1.widget()->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option);
    QTest::mouseClick(Check1.widget(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(Check1.value(), 1);
    EXPECT_EQ(runs["Check1.Click"], 1);

    auto* view = static_cast<QListView*>(List1.widget());
    const QRect row = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(List1.listIndex(), 1);
    EXPECT_EQ(List1.text(), "two");
    EXPECT_EQ(runs["List1.Click"], 1);
    EXPECT_EQ(total(), 2);
}

}  // namespace
