// A box about a window's opening belongs to that window: it shows over it, and once the operator has
// read it the window they opened is the active one, not the main window whose button opened it.
// The boxes are the program's own, shown for real.
#include <QApplication>
#include <functional>

#include "settings/help.h"
#include "settings/nastroiki.h"
#include "student_base_fixture.h"
#include "support/shown_boxes.h"
#include "value_lists/edit.h"

using velmox::Vazed;

namespace {

class OpenedWindowTest : public StudentBaseTest {
protected:
    void SetUp() override {
        StudentBaseTest::SetUp();
        auto boxes = std::make_unique<ui::ShownBoxes>();
        shown = boxes.get();
        services = boxes.get();
        ui::setServices(std::move(boxes));
    }

    // The main window started, on the screen and active, as the operator has it.
    Vazed& startActive() {
        Vazed& v = start();
        expose(v);
        v.window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(v.window()));
        return v;
    }

    ui::ShownBoxes* shown = nullptr;
};

// A byte-order mark, then a byte that UTF-8 has not.
constexpr char kUnreadable[] = "\xEF\xBB\xBFKaz\xFF\r\n";

}  // namespace

TEST_F(OpenedWindowTest, EachToolbarButtonsWindowOwnsTheBoxAboutItsOpeningAndIsActiveAfterIt) {
    struct Case {
        const char* what;
        std::function<void(const ProgramFolder&)> spoil;  // after the start: what the opening reads
        ui::PictureBox Vazed::*button;
        std::function<ui::Form*()> opened;
        const char* named;  // the file the box names
    };
    const auto brokenBase = [](const ProgramFolder& f) { f.write("2.xml", "not a workbook"); };
    const auto brokenLanguage = [](const ProgramFolder& f) { f.write("data\\lang.txt", kUnreadable); };
    const Case cases[] = {
        {"Настройки", brokenBase, &Vazed::Image10, [] { return &ui::form<velmox::Nastroiki>(); }, "2.xml"},
        {"База студентов", brokenBase, &Vazed::Image4, [] { return &ui::form<velmox::BazaVazed>(); },
         "2.xml"},
        {"Редактировать", brokenLanguage, &Vazed::Image24, [] { return &ui::form<velmox::Edit>(); },
         "lang.txt"},
        {"Автор", brokenLanguage, &Vazed::Image21, [] { return &ui::form<velmox::Help>(); }, "lang.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBase({kKasymov});
        folder.write("data\\lang.txt", "Rus\r\n");
        Vazed& v = startActive();
        ASSERT_TRUE(shown->shown.empty());
        c.spoil(folder);
        click(v, v.*c.button);
        settle();
        ASSERT_EQ(shown->shown.size(), 1u);
        EXPECT_TRUE(shown->messages[0].text.contains(QString::fromLatin1(c.named)))
            << shown->messages[0].text.toStdString();
        EXPECT_TRUE(shown->shown[0].modal);
        QWidget* opened = c.opened()->window();
        EXPECT_TRUE(opened->isVisible());
        EXPECT_EQ(shown->shown[0].owner, opened) << "the box is shown over the window it is about";
        EXPECT_TRUE(QTest::qWaitForWindowActive(opened)) << "the opened window is left active";
        EXPECT_EQ(QApplication::activeWindow(), opened);
        TearDown();
        SetUp();
    }
}

// A box of an action that opened no window belongs to the window the operator works in.
TEST_F(OpenedWindowTest, ABoxOfAnActionThatOpensNoWindowBelongsToTheActiveWindow) {
    writeBase({kKasymov});
    Vazed& v = startActive();
    folder.write("2.xml", "not a workbook");
    // "Загрузить данные" loads the student base window hidden.
    click(v, v.Image1);
    settle();
    ASSERT_EQ(shown->shown.size(), 1u);
    EXPECT_EQ(shown->shown[0].owner, v.window());
    EXPECT_FALSE(ui::form<velmox::BazaVazed>().isShown());
    EXPECT_TRUE(QTest::qWaitForWindowActive(v.window()));
}
