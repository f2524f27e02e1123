// KeyPress: the code of each typed character, which a handler may replace or refuse.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "operator.h"
#include "platform/controls.h"

namespace {

TEST(KeyCode, IsTheWindows1251ByteWhereThereIsOneElseTheUnicodeValue) {
    struct Case {
        QChar c;
        int code;
    };
    const Case cases[] = {
        {u'a', 97},   {u'Z', 90},   {u'7', 55},   {u' ', 32},   {u'А', 192}, {u'я', 255},
        {u'Ё', 168},  {u'ё', 184},  {u'№', 185},  {u'І', 178},  {u'і', 179}, {u'Қ', 1178},
        {u'қ', 1179}, {u'Ә', 1240}, {u'ү', 1199}, {u'Һ', 1210}, {u'€', 136}, {u'\b', 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::keyCodeOf(c.c), c.code) << "U+" << std::hex << int(c.c.unicode());
}

class KeyPress : public testing::Test {
protected:
    void SetUp() override {
        Text1.create(form, "Text1", {120, 120, 2400, 300});
        Combo1.create(form, "Combo1", {120, 600, 2400, 315});
        Text1.onChange = [this] { ++changes; };
        Combo1.onChange = [this] { ++changes; };
        ASSERT_TRUE(showAndExpose(form.window()));
    }
    QLineEdit* textEdit() const { return static_cast<QLineEdit*>(Text1.widget()); }
    QLineEdit* comboEdit() const { return static_cast<QComboBox*>(Combo1.widget())->lineEdit(); }

    ScriptedScope services;
    ui::Form form{"Keys"};
    ui::TextBox Text1;
    ui::ComboBox Combo1;
    int changes = 0;
};

TEST_F(KeyPress, HandlerSeesTheCodeAndWhatItLeavesIsWhatTheBoxInserts) {
    struct Case {
        const char* what;
        QString typed;
        int seen;
        std::int16_t replacement;  // -1 leaves the code as it is
        QString text;
    };
    const Case cases[] = {
        {"unchanged", "q", 'q', -1, "q"},
        {"a becomes b", "a", 'a', 'b', "b"},
        {"refused with 0", "x", 'x', 0, ""},
        {"refused with a control code", "x", 'x', 28, ""},
        {"Cyrillic letter by its code page byte", "а", 224, 192, "А"},
        {"Kazakh letter by its Unicode value", "к", 234, 1178, "Қ"},
        {"Kazakh letter typed", "қ", 1179, -1, "қ"},
    };
    const struct Box {
        const char* name;
        ui::KeyPressHandler* handler;
        std::function<QLineEdit*()> edit;
        std::function<QString()> text;
        std::function<void()> clear;
    } boxes[] = {
        {"TextBox", &Text1.onKeyPress, [this] { return textEdit(); }, [this] { return Text1.text(); },
         [this] { Text1.setText(""); }},
        {"ComboBox", &Combo1.onKeyPress, [this] { return comboEdit(); }, [this] { return Combo1.text(); },
         [this] { Combo1.setText(""); }},
    };
    for (const Box& b : boxes) {
        for (const Case& c : cases) {
            b.clear();
            changes = 0;
            std::vector<int> seen;
            *b.handler = [&](std::int16_t& code) {
                seen.push_back(code);
                if (c.replacement >= 0) code = c.replacement;
            };
            typeText(b.edit(), c.typed);
            EXPECT_EQ(seen, std::vector<int>{c.seen}) << b.name << ": " << c.what;
            EXPECT_EQ(b.text(), c.text) << b.name << ": " << c.what;
            EXPECT_EQ(b.edit()->text(), c.text) << b.name << ": " << c.what;
            EXPECT_EQ(changes, c.text.isEmpty() ? 0 : 1) << b.name << ": " << c.what;
        }
    }
}

TEST_F(KeyPress, KeysThatTypeNoCharacterNeverReachTheHandler) {
    Text1.setText("abc");
    int calls = 0;
    Text1.onKeyPress = [&](std::int16_t&) { ++calls; };
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End,
                        Qt::Key_Delete, Qt::Key_Tab, Qt::Key_F2, Qt::Key_Shift})
        QTest::keyClick(textEdit(), key);
    EXPECT_EQ(calls, 0);
    QTest::keyClick(textEdit(), Qt::Key_Home);
    QTest::keyClick(textEdit(), Qt::Key_Delete);
    EXPECT_EQ(Text1.text(), "bc") << "Delete still deletes";
    EXPECT_EQ(calls, 0);
}

TEST_F(KeyPress, BackspaceReachesTheHandlerAsEightAndCanBeRefused) {
    Text1.setText("abc");
    textEdit()->end(false);
    std::vector<int> seen;
    bool refuse = false;
    Text1.onKeyPress = [&](std::int16_t& code) {
        seen.push_back(code);
        if (refuse) code = 0;
    };
    QTest::keyClick(textEdit(), Qt::Key_Backspace);
    EXPECT_EQ(Text1.text(), "ab");
    refuse = true;
    QTest::keyClick(textEdit(), Qt::Key_Backspace);
    EXPECT_EQ(Text1.text(), "ab");
    EXPECT_EQ(seen, (std::vector<int>{8, 8}));
}

TEST_F(KeyPress, HandlerThatTurnsAKeyIntoBackspaceDeletes) {
    Text1.setText("abc");
    textEdit()->end(false);
    Text1.onKeyPress = [](std::int16_t& code) {
        if (code == '-') code = 8;
    };
    typeText(textEdit(), "-");
    EXPECT_EQ(Text1.text(), "ab");
}

}  // namespace
