// The list box as the operator uses it: keys, typing, double clicks, and what the screen shows of
// its entries as code adds, removes and clears them.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <vector>

#include "operator.h"
#include "platform/controls.h"

namespace {

class ListBoxTest : public testing::Test {
protected:
    void SetUp() override {
        List1.create(form, "List1", {120, 120, 2400, 1500});
        List1.onClick = [this] { clicks.push_back(List1.listIndex()); };
    }
    // The only control takes the focus, and with it the first entry: that Click is not the test's.
    void show() {
        ASSERT_TRUE(showAndExpose(form.window()));
        clicks.clear();
    }

    QListView* view() const { return static_cast<QListView*>(List1.widget()); }
    // The rows the view shows, as its model gives them.
    QStringList shown() const {
        QStringList rows;
        const QAbstractItemModel* m = view()->model();
        for (int r = 0; r < m->rowCount(); ++r) rows << m->index(r, 0).data().toString();
        return rows;
    }
    // The row the view marks as current and selected, or -1.
    int shownSelection() const {
        const QModelIndexList selected = view()->selectionModel()->selectedIndexes();
        if (selected.size() > 1) return -2;
        const int current = view()->currentIndex().row();
        if (selected.isEmpty()) return current == -1 ? -1 : -3;
        return selected.first().row() == current ? current : -4;
    }
    QRect rowRect(int row) const { return view()->visualRect(view()->model()->index(row, 0)); }

    ScriptedScope services;
    ui::Form form{"Lists"};
    ui::ListBox List1;
    std::vector<int> clicks;
};

TEST_F(ListBoxTest, KeysStepTheSelectionAndEachStepRunsClickOnce) {
    List1.addItems({"Алматы", "Астана", "Шымкент", "Караганда", "Актобе"});
    show();
    ASSERT_EQ(List1.listIndex(), 0) << "the focus took the first entry";
    struct Step {
        Qt::Key key;
        int index;
    };
    // Up at the top stays there and runs nothing.
    const Step steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_End, 4},
                          {Qt::Key_Up, 3},   {Qt::Key_Home, 0}, {Qt::Key_Up, 0}};
    std::vector<int> expected;
    for (const Step& s : steps) {
        QTest::keyClick(view(), s.key);
        if (expected.empty() || expected.back() != s.index) expected.push_back(s.index);
        EXPECT_EQ(List1.listIndex(), s.index) << s.key;
        EXPECT_EQ(shownSelection(), s.index) << s.key;
        EXPECT_EQ(clicks, expected) << s.key;
    }
    EXPECT_EQ(List1.text(), "Алматы");
}

TEST_F(ListBoxTest, ATypedLetterPicksTheNextEntryStartingWithIt) {
    List1.addItems({"Алматы", "Астана", "Шымкент", "Караганда", "Актобе"});
    show();
    typeText(view(), "ш");
    EXPECT_EQ(List1.text(), "Шымкент");
    EXPECT_EQ(clicks, std::vector<int>{2});
    // The search's memory of typed letters runs out between these: each is a fresh first letter.
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    typeText(view(), "А");
    EXPECT_EQ(List1.text(), "Актобе") << "the next one after the selection, letter case aside";
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    typeText(view(), "а");
    EXPECT_EQ(List1.text(), "Алматы") << "and round to the top";
}

TEST_F(ListBoxTest, TheOperatorCannotEditAnEntry) {
    List1.addItems({"one", "two"});
    show();
    const auto editing = [this] { return !view()->viewport()->findChildren<QLineEdit*>().isEmpty(); };
    const QPoint at = rowRect(1).center();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(editing()) << "after a double click";
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F2);
    EXPECT_FALSE(editing()) << "after F2";
    typeText(view(), "x");
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(List1.items(), QStringList({"one", "two"}));
    EXPECT_EQ(shown(), QStringList({"one", "two"}));
    EXPECT_EQ(List1.listIndex(), 1);
}

TEST_F(ListBoxTest, CodeChangesToTheEntriesShowAtOnceAndRunNothing) {
    struct Case {
        const char* what;
        QStringList before;
        int selected;
        std::function<void(ui::ListBox&)> change;
        QStringList after;
        int selectedAfter;
    };
    const Case cases[] = {
        {"add to the end", {"a", "b"}, 1, [](ui::ListBox& l) { l.addItem("c"); }, {"a", "b", "c"}, 1},
        {"add a whole list",
         {"a"},
         0,
         [](ui::ListBox& l) {
             l.addItems({"b", "c"});
         },
         {"a", "b", "c"},
         0},
        {"add an empty list", {"a"}, 0, [](ui::ListBox& l) { l.addItems({}); }, {"a"}, 0},
        {"remove the selected", {"a", "b", "c"}, 1, [](ui::ListBox& l) { l.removeItem(1); }, {"a", "c"}, -1},
        {"remove one above it", {"a", "b", "c"}, 2, [](ui::ListBox& l) { l.removeItem(0); }, {"b", "c"}, 1},
        {"remove one below it", {"a", "b", "c"}, 0, [](ui::ListBox& l) { l.removeItem(2); }, {"a", "b"}, 0},
        {"remove the last one", {"a"}, 0, [](ui::ListBox& l) { l.removeItem(0); }, {}, -1},
        {"clear", {"a", "b"}, 1, [](ui::ListBox& l) { l.clear(); }, {}, -1},
        {"clear and fill again",
         {"a", "b"},
         1,
         [](ui::ListBox& l) {
             l.clear();
             l.addItems({"x", "y", "z"});
         },
         {"x", "y", "z"},
         -1},
        {"duplicates stay",
         {"a"},
         -1,
         [](ui::ListBox& l) {
             l.addItems({"a", "A"});
         },
         {"a", "a", "A"},
         -1},
    };
    show();
    for (const Case& c : cases) {
        List1.clear();
        List1.addItems(c.before);
        List1.setListIndex(c.selected);
        clicks.clear();
        c.change(List1);
        EXPECT_EQ(List1.items(), c.after) << c.what;
        EXPECT_EQ(shown(), c.after) << c.what;
        EXPECT_EQ(List1.listCount(), c.after.size()) << c.what;
        EXPECT_EQ(List1.listIndex(), c.selectedAfter) << c.what;
        EXPECT_EQ(shownSelection(), c.selectedAfter) << c.what;
        EXPECT_TRUE(clicks.empty()) << c.what;
    }
}

TEST_F(ListBoxTest, ASortedListPutsEachEntryInItsPlaceAndTheSelectionFollowsItsEntry) {
    List1.setSorted(true);
    List1.addItems({"Темный", "белый", "Основной"});
    List1.setListIndex(1);  // "Основной"
    show();
    List1.addItem("Желтый");
    List1.addItems({"альфа", "Белый", "яркий"});
    const QStringList expected = {"альфа", "белый", "Белый", "Желтый", "Основной", "Темный", "яркий"};
    EXPECT_EQ(List1.items(), expected) << "an equal entry goes after the ones already there";
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(List1.text(), "Основной");
    EXPECT_EQ(shownSelection(), 4);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(ListBoxTest, AListFilledWhileHiddenShowsItsEntriesAndSelectionWhenShown) {
    List1.addItems({"one", "two", "three"});
    List1.addItem("four");
    List1.removeItem(0);
    List1.setListIndex(1);
    clicks.clear();
    ASSERT_TRUE(showAndExpose(form.window()));
    EXPECT_EQ(shown(), QStringList({"two", "three", "four"}));
    EXPECT_EQ(shownSelection(), 1);
    EXPECT_TRUE(clicks.empty()) << "showing is no pick";
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, rowRect(2).center());
    EXPECT_EQ(List1.text(), "four");
    EXPECT_EQ(clicks, std::vector<int>{2});
}

TEST_F(ListBoxTest, AnEntryPickedWhileHiddenIsInSightWhenTheListIsShown) {
    QStringList many;
    for (int i = 0; i < 500; ++i) many << QStringLiteral("Колледж %1").arg(i);
    List1.addItems(many);
    List1.setListIndex(400);
    show();
    EXPECT_TRUE(view()->viewport()->rect().contains(rowRect(400))) << "scrolled to it";
    EXPECT_EQ(shownSelection(), 400);
}

TEST_F(ListBoxTest, APrintedListShowsItsEntriesWhetherItWasShownOrNot) {
    const auto printed = [this] {
        QImage page(List1.widget()->size(), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.scale(1.0 / ui::kTwipsPerPixel, 1.0 / ui::kTwipsPerPixel);
        List1.print(p);
        return page;
    };
    const QImage empty = printed();
    List1.addItems({"Алматы", "Астана", "Шымкент"});
    const QImage neverShown = printed();
    EXPECT_NE(neverShown, empty);
    // The focus would mark an entry: the picture is compared without it.
    view()->setFocusPolicy(Qt::NoFocus);
    show();
    EXPECT_EQ(printed(), neverShown);
}

TEST_F(ListBoxTest, ManyEntriesAreAllThereAndTheLastCanBeScrolledToAndPicked) {
    QStringList many;
    for (int i = 0; i < 5000; ++i) many << QStringLiteral("Организация образования номер %1").arg(i);
    List1.addItems(many);
    show();
    EXPECT_EQ(shown(), many);
    view()->scrollTo(view()->model()->index(4999, 0));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, rowRect(4999).center());
    EXPECT_EQ(List1.listIndex(), 4999);
    EXPECT_EQ(clicks, std::vector<int>{4999});
}

TEST_F(ListBoxTest, ALongEntryGetsNoHorizontalScrollBar) {
    List1.addItems({QString(300, 'W'), "short"});
    show();
    EXPECT_FALSE(view()->horizontalScrollBar()->isVisible());
    EXPECT_EQ(view()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// The view measures and paints what it is given in full: a list file of one huge line would cost
// minutes and gigabytes. It is given the entry's beginning, more than a row shows, and every entry
// takes one row, a line feed inside it included; the list itself keeps each entry whole.
TEST_F(ListBoxTest, AHugeEntryIsShownByItsBeginningAndEveryEntryTakesOneRow) {
    const QString huge = QString(1'000'000, u'W');
    // A letter outside the basic plane right at the cut.
    const QString astral = QString(4095, u'a') + QStringLiteral("\U0001F600") + QString(10, u'b');
    List1.addItems({"Алматы", huge, "одна\nдве", astral, "Астана"});
    show();
    const QStringList rows = shown();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], "Алматы");
    EXPECT_LE(rows[1].size(), 4096);
    EXPECT_GE(rows[1].size(), 1000);
    EXPECT_TRUE(huge.startsWith(rows[1]));
    EXPECT_EQ(rows[3].size(), 4095);
    EXPECT_TRUE(astral.startsWith(rows[3]));
    EXPECT_EQ(List1.list(1), huge);
    List1.setListIndex(1);
    EXPECT_EQ(List1.text(), huge);
    for (int r = 1; r < 5; ++r) EXPECT_EQ(rowRect(r).height(), rowRect(0).height()) << "row " << r;
}

}  // namespace
