// Mouse events reach only the control under the pointer; clicks come from the left button.
#include <gtest/gtest.h>

#include <QListView>
#include <QWindow>

#include "operator.h"
#include "platform/controls.h"

namespace {

struct Hit {
    std::string control;
    int button;
    float x, y;
    friend bool operator==(const Hit&, const Hit&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Hit& h) {
        return os << h.control << " button " << h.button << " at " << h.x << "," << h.y;
    }
};

// Pixel positions in the window: Frame1 (40,40)-(240,173) holds Label1 at (60,60)-(140,80);
// Label2 (280,40)-(380,60), Picture1 (280,80)-(340,140), the disabled Picture2 (280,160)-(340,220).
class MouseForm : public ui::Form {
public:
    MouseForm() : Form("MouseForm") {
        setClientSize(ui::Twips(6000), ui::Twips(4500));
        Frame1.create(*this, "Frame1", {600, 600, 3000, 2000});
        Label1.create(Frame1, "Label1", {300, 300, 1200, 300});
        Label2.create(*this, "Label2", {4200, 600, 1500, 300});
        Picture1.create(*this, "Picture1", {4200, 1200, 900, 900});
        Picture2.create(*this, "Picture2", {4200, 2400, 900, 900});
        Picture2.setEnabled(false);
        onFormMouseMove = record("Form", moves);
        for (ui::Control* c :
             std::initializer_list<ui::Control*>{&Frame1, &Label1, &Label2, &Picture1, &Picture2}) {
            const std::string name = c->name().toStdString();
            c->onMouseMove = record(name, moves);
            c->onMouseDown = record(name, downs);
            c->onClick = [this, name] { clicks.push_back(name); };
        }
    }
    ui::MouseHandler record(const std::string& name, std::vector<Hit>& into) {
        return [&into, name](const ui::MouseArgs& a) { into.push_back({name, a.button, a.x, a.y}); };
    }
    void forget() {
        moves.clear();
        downs.clear();
        clicks.clear();
    }

    ui::Frame Frame1;
    ui::Label Label1;
    ui::Label Label2;
    ui::PictureBox Picture1;
    ui::PictureBox Picture2;
    std::vector<Hit> moves, downs;
    std::vector<std::string> clicks;
};

class Mouse : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(showAndExpose(form.window())); }
    QWindow* window() const { return form.window()->windowHandle(); }

    ScriptedScope services;
    MouseForm form;
};

TEST_F(Mouse, FramesAndControlsArePlacedRelativeToTheirContainer) {
    EXPECT_EQ(form.Label1.widget()->parentWidget(), form.Frame1.widget());
    EXPECT_EQ(form.Label1.widget()->geometry(), QRect(20, 20, 80, 20));
    EXPECT_EQ(form.Frame1.widget()->geometry(), QRect(40, 40, 200, 133));
    EXPECT_EQ(form.Label1.left().value, 300);
}

TEST_F(Mouse, MoveReachesOnlyTheControlUnderThePointer) {
    struct Case {
        QPoint at;  // window pixels
        Hit expected;
    };
    const Case cases[] = {
        {{70, 65}, {"Label1", 0, 10 * 15, 5 * 15}},      {{200, 150}, {"Frame1", 0, 160 * 15, 110 * 15}},
        {{45, 45}, {"Frame1", 0, 5 * 15, 5 * 15}},       {{300, 50}, {"Label2", 0, 20 * 15, 10 * 15}},
        {{300, 100}, {"Picture1", 0, 20 * 15, 20 * 15}}, {{10, 300}, {"Form", 0, 10 * 15, 300 * 15}},
        {{260, 30}, {"Form", 0, 260 * 15, 30 * 15}},
    };
    for (const Case& c : cases) {
        form.forget();
        QTest::mouseMove(window(), c.at);
        EXPECT_EQ(form.moves, std::vector<Hit>{c.expected}) << "at " << c.at.x() << "," << c.at.y();
    }
}

TEST_F(Mouse, MoveOverADisabledControlReachesNoControlHandler) {
    QTest::mouseMove(window(), {300, 190});
    for (const Hit& h : form.moves) EXPECT_NE(h.control, "Picture2");
}

TEST_F(Mouse, LeftClickClicksLabelsPicturesAndFramesOtherButtonsOnlyPress) {
    struct Case {
        QPoint at;
        Qt::MouseButton button;
        std::vector<std::string> clicks;
        std::vector<Hit> downs;
    };
    const Case cases[] = {
        {{300, 50}, Qt::LeftButton, {"Label2"}, {{"Label2", 1, 20 * 15, 10 * 15}}},
        {{70, 65}, Qt::LeftButton, {"Label1"}, {{"Label1", 1, 10 * 15, 5 * 15}}},
        {{300, 100}, Qt::LeftButton, {"Picture1"}, {{"Picture1", 1, 20 * 15, 20 * 15}}},
        {{200, 150}, Qt::LeftButton, {"Frame1"}, {{"Frame1", 1, 160 * 15, 110 * 15}}},
        {{300, 50}, Qt::RightButton, {}, {{"Label2", 2, 20 * 15, 10 * 15}}},
        {{300, 100}, Qt::MiddleButton, {}, {{"Picture1", 4, 20 * 15, 20 * 15}}},
        {{300, 190}, Qt::LeftButton, {}, {}},  // the disabled picture
    };
    for (const Case& c : cases) {
        form.forget();
        QTest::mouseClick(window(), c.button, {}, c.at);
        EXPECT_EQ(form.clicks, c.clicks) << "at " << c.at.x() << "," << c.at.y() << " button " << c.button;
        EXPECT_EQ(form.downs, c.downs) << "at " << c.at.x() << "," << c.at.y() << " button " << c.button;
    }
}

TEST_F(Mouse, PressThatIsReleasedOffTheControlIsNoClick) {
    QTest::mousePress(window(), Qt::LeftButton, {}, {300, 50});
    QTest::mouseMove(window(), {300, 250});
    QTest::mouseRelease(window(), Qt::LeftButton, {}, {300, 250});
    EXPECT_EQ(form.downs.size(), 1u);
    EXPECT_TRUE(form.clicks.empty());
}

TEST_F(Mouse, ReEnabledPictureClicksAgain) {
    form.Picture2.setEnabled(true);
    QTest::mouseClick(window(), Qt::LeftButton, {}, {300, 190});
    EXPECT_EQ(form.clicks, std::vector<std::string>{"Picture2"});
}

// A list box at (40,40)-(240,173) with five items: the pointer over its items reaches its own
// MouseMove and MouseDown, once each, in twips from the list's corner.
class ListForm : public ui::Form {
public:
    ListForm() : Form("ListForm") {
        setClientSize(ui::Twips(6000), ui::Twips(4500));
        List1.create(*this, "List1", {600, 600, 3000, 2000});
        List1.addItems({"Алматы", "Астана", "Шымкент", "Караганда", "Актобе"});
        List1.onMouseMove = [this](const ui::MouseArgs& a) {
            moves.push_back({"List1", a.button, a.x, a.y});
        };
        List1.onMouseDown = [this](const ui::MouseArgs& a) {
            downs.push_back({"List1", a.button, a.x, a.y});
        };
        List1.onClick = [this] { clicks.push_back(List1.text()); };
        onFormMouseMove = [this](const ui::MouseArgs& a) { moves.push_back({"Form", a.button, a.x, a.y}); };
    }
    // The window pixel at the middle of item `i`.
    QPoint itemCentre(int i) const {
        auto* list = static_cast<QListView*>(List1.widget());
        const QRect r = list->visualRect(list->model()->index(i, 0));
        return list->viewport()->mapTo(window(), r.center());
    }
    Hit at(QPoint windowPixel, int button) const {
        const QPoint p = List1.widget()->mapFrom(window(), windowPixel);
        return {"List1", button, float(p.x()) * ui::kTwipsPerPixel, float(p.y()) * ui::kTwipsPerPixel};
    }

    ui::ListBox List1;
    std::vector<Hit> moves, downs;
    std::vector<QString> clicks;
};

class ListMouse : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(showAndExpose(form.window()));
        // The only control takes the focus, and the focused list its first item.
        form.clicks.clear();
    }
    QWindow* window() const { return form.window()->windowHandle(); }

    ScriptedScope services;
    ListForm form;
};

TEST_F(ListMouse, MovesOverTheItemsReachTheListOnceEach) {
    for (int i : {0, 2, 4}) {
        form.moves.clear();
        const QPoint p = form.itemCentre(i);
        QTest::mouseMove(window(), p);
        EXPECT_EQ(form.moves, std::vector<Hit>{form.at(p, 0)}) << "item " << i;
    }
    form.moves.clear();
    QTest::mouseMove(window(), {300, 300});
    EXPECT_EQ(form.moves, (std::vector<Hit>{{"Form", 0, 300 * 15, 300 * 15}}));
}

TEST_F(ListMouse, PressOnAnItemIsOneMouseDownAndPicksIt) {
    const QPoint p = form.itemCentre(2);
    QTest::mouseClick(window(), Qt::LeftButton, {}, p);
    EXPECT_EQ(form.downs, std::vector<Hit>{form.at(p, 1)});
    EXPECT_EQ(form.List1.listIndex(), 2);
    EXPECT_EQ(form.clicks, std::vector<QString>{"Шымкент"});

    form.downs.clear();
    const QPoint q = form.itemCentre(4);
    QTest::mouseClick(window(), Qt::RightButton, {}, q);
    EXPECT_EQ(form.downs, std::vector<Hit>{form.at(q, 2)});
}

TEST_F(ListMouse, ADisabledListGetsNoMouseOverItsItems) {
    form.List1.setEnabled(false);
    const QPoint p = form.itemCentre(1);
    QTest::mouseMove(window(), p);
    QTest::mouseClick(window(), Qt::LeftButton, {}, p);
    for (const Hit& h : form.moves) EXPECT_NE(h.control, "List1");
    EXPECT_TRUE(form.downs.empty());
    EXPECT_TRUE(form.clicks.empty());
}

}  // namespace
