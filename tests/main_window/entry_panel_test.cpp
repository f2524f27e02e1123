// The entry panel: mirrors, font row, language and outlines, driven as an operator drives them.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "main_window/vazed_fixture.h"
#include "main_window/vazed_tables.h"

using velmox::Vazed;

TEST_F(VazedTest, TypingAndCodeWritesReachExactlyTheEntryControlsOwnLabels) {
    Vazed& v = start();
    for (const auto& e : velmox::kEntryControls) {
        SCOPED_TRACE(e.name);
        const QString value = QStringLiteral("%1 значение").arg(QString::fromLatin1(e.name));
        e.control.set(v, value);
        for (const auto& f : velmox::kPrintFields)
            EXPECT_EQ((v.*f.label).caption() == value, f.entry == e.control) << f.key;
    }
}

TEST_F(VazedTest, EachKeystrokeIsMirroredAndAPickShowsTheEntryAtOnce) {
    folder.write("data\\6.txt", cp1251(QStringLiteral("Бухгалтер\r\nПовар\r\n")));
    Vazed& v = start();
    v.show();
    v.Text9.setText(QString());
    auto* edit = static_cast<QLineEdit*>(v.Text9.widget());
    QStringList seen;
    v.Label17.onChange = [&] { seen << v.Label17.caption(); };
    QTest::keyClicks(edit, QStringLiteral("Abc"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("A"), QStringLiteral("Ab"), QStringLiteral("Abc")}));
    EXPECT_EQ(v.Label17.caption(), QStringLiteral("Abc"));

    auto* box = static_cast<QComboBox*>(v.Combo7.widget());
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(v.Combo7.text(), QStringLiteral("Бухгалтер"));
    EXPECT_EQ(v.Label10.caption(), QStringLiteral("Бухгалтер"));
}

TEST_F(VazedTest, FontRowRestylesAllFortySevenLabels) {
    folder.write("2.txt", crlf(lastValues({{42, QStringLiteral("Arial")},
                                           {43, QStringLiteral("жирный курсивный")},
                                           {44, QStringLiteral("14")}})));
    Vazed& v = start();
    for (const auto& f : velmox::kPrintFields) {
        const ui::FontSpec& font = (v.*f.label).font();
        EXPECT_EQ(font.name, QStringLiteral("Arial")) << f.key;
        EXPECT_TRUE(font.bold && font.italic) << f.key;
        EXPECT_EQ(font.size, 14.0f) << f.key;
    }
    v.Combo23.setText(QStringLiteral("обычный"));
    v.Combo23_Click();
    for (const auto& f : velmox::kPrintFields)
        EXPECT_FALSE((v.*f.label).font().bold || (v.*f.label).font().italic);
    // Emptying the font name box puts "Times New Roman" back at once, without restyling.
    v.Combo22.setText(QString());
    EXPECT_EQ(v.Combo22.text(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(v.Label1.font().name, QStringLiteral("Arial"));
}

TEST_F(VazedTest, ArrowKeysInTheSizeBoxStepFromTheSizeItShows) {
    folder.write("2.txt", crlf(lastValues({{44, QStringLiteral("10")}})));
    Vazed& v = start();
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v.window()));
    v.Combo24.widget()->setFocus();
    struct Step {
        Qt::Key key;
        const char* size;
    };
    const Step steps[] = {{Qt::Key_Down, "11"}, {Qt::Key_Up, "10"}, {Qt::Key_Up, "9"}};
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
        EXPECT_EQ(v.Combo24.text(), QString::fromLatin1(s.size));
        for (const auto& f : velmox::kPrintFields)
            EXPECT_EQ((v.*f.label).font().size, QString::fromLatin1(s.size).toFloat()) << f.key;
    }
}

// The names of the controls that Tab (or Shift+Tab) gives the focus to, `presses` times from
// `from`, each key sent where the window system sends it.
QStringList tabWalk(ui::Control& from, int presses, bool forward = true) {
    from.widget()->setFocus();
    QStringList names;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab,
                        forward ? Qt::NoModifier : Qt::ShiftModifier);
        names << QApplication::focusWidget()->objectName();
    }
    return names;
}

TEST_F(VazedTest, TabGoesThroughTheEntryControlsThenTheFontRowAndThePickerAndNowhereElse) {
    Vazed& v = start();
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v.window()));
    v.window()->activateWindow();
    // The window opens with the focus on the first entry control, not on a covered scroll bar.
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Text2"));

    QStringList order;
    for (const auto& e : velmox::kEntryControls) order << QString::fromLatin1(e.name);
    order << QStringLiteral("Combo22") << QStringLiteral("Combo23") << QStringLiteral("Combo24")
          << QStringLiteral("Combo1") << QStringLiteral("Text2");
    EXPECT_EQ(tabWalk(v.Text2, int(order.size()) - 1), order.mid(1));
    // From Text22 straight to the font row: not the hidden skin box, not the covered scroll bars.
    EXPECT_EQ(tabWalk(v.Text22, 1), QStringList{QStringLiteral("Combo22")});
    QStringList back = order.mid(0, order.size() - 1);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(tabWalk(v.Text2, int(back.size()), false), back);
}

TEST_F(VazedTest, InTheLayoutViewTabReachesTheUncoveredScrollBarsAndSkipsTheCoveredEntries) {
    Vazed& v = start();
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v.window()));
    v.window()->activateWindow();
    v.Frame1.setHeight(ui::Twips(1300));
    EXPECT_EQ(tabWalk(v.Combo22, 6),
              (QStringList{"Combo23", "Combo24", "Combo1", "HScroll1", "VScroll1", "Combo22"}));
}

TEST_F(VazedTest, AStyleLineThatIsNoStyleWordLeavesTheDesignFlags) {
    folder.write("2.txt", crlf(lastValues({{43, QString()}})));
    Vazed& v = start();
    EXPECT_FALSE(v.Label1.font().italic);
    EXPECT_FALSE(v.Label7.font().italic);
    EXPECT_TRUE(v.Label2.font().italic);
    EXPECT_FALSE(v.Label2.font().bold);
}

TEST_F(VazedTest, ScreenFontsLoseOnlyAdjacentRepeats) {
    services->fonts = {QStringLiteral("Tahoma"), QStringLiteral("Tahoma"), QStringLiteral("Times New Roman"),
                       QStringLiteral("Tahoma"), QStringLiteral("TAHOMA")};
    Vazed& v = start();
    QStringList listed;
    for (int i = 0; i < v.Combo22.listCount(); ++i) listed << v.Combo22.list(i);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Tahoma"), QStringLiteral("Times New Roman"),
                                   QStringLiteral("Tahoma"), QStringLiteral("TAHOMA")}));
}

TEST_F(VazedTest, TypingIntoTheFontRowIsRefusedWithItsBeeps) {
    struct Case {
        std::int16_t code;
        int beeps;
        std::int16_t given;
    };
    const Case cases[] = {{0, 3, 28},     {8, 3, 28},   {13, 3, 28},    {27, 3, 28},  {28, 2, 28},
                          {29, 2, 28},    {'a', 2, 28}, {255, 2, 28},   {256, 3, 28}, {1178, 3, 28},
                          {32767, 3, 28}, {-1, 0, -1},  {-300, 0, -300}};
    Vazed& v = start();
    for (const Case& c : cases) {
        services->beeps = 0;
        std::int16_t code = c.code;
        v.FontRow_KeyPress(code);
        EXPECT_EQ(services->beeps, c.beeps) << c.code;
        EXPECT_EQ(code, c.given) << c.code;
    }
    // Typed for real: the text stays, the beeps sound.
    v.show();
    services->beeps = 0;
    auto* edit = static_cast<QComboBox*>(v.Combo24.widget())->lineEdit();
    const QString before = v.Combo24.text();
    QTest::keyClicks(edit, QStringLiteral("5"));
    EXPECT_EQ(v.Combo24.text(), before);
    EXPECT_EQ(services->beeps, 2);
}

TEST_F(VazedTest, LanguageCodesRecaptionFromTheTranslationTableAndOtherTextsChangeNothing) {
    Vazed& v = start();
    EXPECT_EQ(v.Label73.caption(), QStringLiteral("Шрифт"));
    EXPECT_EQ(v.Image1.toolTipText(), QStringLiteral("Загрузить данные"));
    v.Text43.setText(QStringLiteral("Kaz"));
    EXPECT_EQ(v.Label73.caption(), QStringLiteral("Қаріп"));
    EXPECT_EQ(v.Image1.toolTipText(), QStringLiteral("Деректерді жүктеп алу"));
    EXPECT_EQ(v.Text18.toolTipText(), QStringLiteral("Ай және жыл"));
    EXPECT_EQ(v.Label66.caption(), v.Label77.caption());
    const QString title = v.caption();
    for (const char* other : {"kaz", " Rus", "", "Eng"}) {
        v.Text43.setText(QString::fromLatin1(other));
        EXPECT_EQ(v.Label73.caption(), QStringLiteral("Қаріп")) << other;
        EXPECT_EQ(v.caption(), title);
    }
    v.Text43.setText(QStringLiteral("Rus"));
    EXPECT_EQ(v.Label73.caption(), QStringLiteral("Шрифт"));
    EXPECT_EQ(v.Text6.toolTipText(), QStringLiteral("Год"));
}

TEST_F(VazedTest, OutlineFlagOneDrawsBordersZeroRemovesThemAnythingElseLeavesThem) {
    folder.write("data\\Line.txt", "1\r\n");
    Vazed& v = start();
    for (const auto& f : velmox::kPrintFields) EXPECT_EQ((v.*f.label).borderStyle(), 1) << f.key;
    for (const char* other : {"1 ", "", "10"}) {
        v.Text48.setText(QString::fromLatin1(other));
        EXPECT_EQ(v.Label1.borderStyle(), 1) << other;
    }
    v.Text48.setText(QStringLiteral("0"));
    for (const auto& f : velmox::kPrintFields) EXPECT_EQ((v.*f.label).borderStyle(), 0) << f.key;
}
