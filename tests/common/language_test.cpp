// The one language routine every window calls with its own table.
#include "common/language.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class LanguageForm : public ui::Form {
public:
    LanguageForm() : Form(QStringLiteral("LanguageForm")) {
        Label1.create(*this, QStringLiteral("Label1"), {100, 100, 1000, 300});
        Check1.create(*this, QStringLiteral("Check1"), {100, 500, 1000, 300});
        Image1.create(*this, QStringLiteral("Image1"), {1200, 100, 525, 525});
        Text1.create(*this, QStringLiteral("Text1"), {1200, 700, 1000, 300});
    }
    ui::Label Label1;
    ui::CheckBox Check1;
    ui::PictureBox Image1;
    ui::TextBox Text1;
};

using language::Language;
// clang-format off
const language::Text<LanguageForm> kTable[] = {
    language::title<LanguageForm>(7),
    language::caption(&LanguageForm::Label1, 3),
    language::caption(&LanguageForm::Check1, u"Печать",  u"Басып шығару"),
    language::tip(&LanguageForm::Image1,     u"Открыть", u"Ашу"),
    language::tip(&LanguageForm::Text1,      u"Год",     u"Жыл"),
    language::tip(&LanguageForm::Label1,     u"Шрифт",   u"Қаріп"),
};
// clang-format on

struct Row {
    Language language;
    int row;
    friend bool operator==(const Row&, const Row&) = default;
};

class LanguageTest : public testing::Test {
protected:
    language::RowText rows = [this](Language l, int row) {
        asked.push_back({l, row});
        return QStringLiteral("%1 row %2").arg(l == Language::Kazakh ? "kaz" : "rus").arg(row);
    };
    LanguageForm form;
    std::vector<Row> asked;
};

TEST_F(LanguageTest, EachLanguageWritesItsRowsAndFixedTextsToCaptionsAndTooltips) {
    struct Case {
        const char* code;
        Language language;
        QString title, label, check, imageTip, textTip, labelTip;
    };
    const Case cases[] = {
        {"Kaz", Language::Kazakh, "kaz row 7", "kaz row 3", "Басып шығару", "Ашу", "Жыл", "Қаріп"},
        {"Rus", Language::Russian, "rus row 7", "rus row 3", "Печать", "Открыть", "Год", "Шрифт"},
    };
    for (const Case& c : cases) {
        asked.clear();
        EXPECT_TRUE(language::apply(form, QString::fromLatin1(c.code), kTable, rows)) << c.code;
        EXPECT_EQ(form.caption(), c.title) << c.code;
        EXPECT_EQ(form.Label1.caption(), c.label) << c.code;
        EXPECT_EQ(form.Check1.caption(), c.check) << c.code;
        EXPECT_EQ(form.Image1.toolTipText(), c.imageTip) << c.code;
        EXPECT_EQ(form.Text1.toolTipText(), c.textTip) << c.code;
        EXPECT_EQ(form.Label1.toolTipText(), c.labelTip) << c.code;
        // Rows are read in the table's order, each once, in the chosen language.
        EXPECT_EQ(asked, (std::vector<Row>{{c.language, 7}, {c.language, 3}})) << c.code;
    }
}

TEST_F(LanguageTest, OnlyTheExactCodesNameALanguage) {
    language::apply(form, u"Rus", kTable, rows);
    asked.clear();
    for (const char* code : {"", "rus", "KAZ", "Kaz ", " Rus", "Kazakh", "En"}) {
        EXPECT_FALSE(language::apply(form, QString::fromLatin1(code), kTable, rows)) << '"' << code << '"';
        EXPECT_FALSE(language::named(QString::fromLatin1(code))) << '"' << code << '"';
    }
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(form.caption(), QStringLiteral("rus row 7"));
    EXPECT_EQ(form.Check1.caption(), QStringLiteral("Печать"));
}

TEST_F(LanguageTest, AWindowWithOnlyFixedTextsNeedsNoRows) {
    const language::Text<LanguageForm> fixed[] = {
        language::title<LanguageForm>(u"База Студентов", u"Студенттік база"),
        language::tip(&LanguageForm::Image1, u"Сохранить", u"Сақтау"),
    };
    EXPECT_TRUE(language::apply(form, u"Kaz", fixed));
    EXPECT_EQ(form.caption(), QStringLiteral("Студенттік база"));
    EXPECT_EQ(form.Image1.toolTipText(), QStringLiteral("Сақтау"));
}

}  // namespace
