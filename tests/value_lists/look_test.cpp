// The editor's skin, language and hover pictures, as tables of what each control shows.
#include "value_lists/edit_fixture.h"
#include "value_lists/edit_tables.h"
#include "workbook/ziruduzizozod.h"

using velmox::Edit;
using velmox::Vazed;
using velmox::value_lists::kCaptionSteps;
using velmox::value_lists::kValueLists;

namespace {
QColor paletteColour(const ui::Control& c, QPalette::ColorRole role) {
    return c.widget()->palette().color(role);
}

bool shows(const ui::PictureBox& button, const ui::PictureBox& holder) {
    return !button.picture().isNull() && button.picture().cacheKey() == holder.picture().cacheKey();
}

// Everything a skin sets, to compare before and after a write that names no skin.
struct Look {
    ui::OleColor window, frame1, frame2;
    QColor check1Back, check1Text;
    std::vector<ui::OleColor> captions{};
    std::vector<qint64> pictures{};
    bool operator==(const Look&) const = default;
};

Look lookOf(const Edit& e) {
    Look l{e.backColor(), e.Frame1.backColor(), e.Frame2.backColor(),
           paletteColour(e.Check1, QPalette::Window), paletteColour(e.Check1, QPalette::WindowText)};
    for (const auto& v : kValueLists) {
        l.captions.push_back((e.*v.caption).foreColor());
        l.pictures.push_back((e.*v.button).picture().cacheKey());
    }
    l.pictures.push_back(e.Image2.picture().cacheKey());
    l.pictures.push_back(e.Image3.picture().cacheKey());
    return l;
}
}  // namespace

TEST_F(EditTest, EachSkinColoursTheEditorAndLoadsItsTwoPictures) {
    struct Case {
        const char16_t* name;
        int folder;
        ui::OleColor background, text;
    };
    // Dark before yellow: the captions go back to the window-text colour.
    const Case cases[] = {
        {u"Темный скин", 4, 0x00404040, 0x00FFC0FF},
        {u"Желтый скин", 3, 0x80000018, 0x80000008},
        {u"Белый интерактив скин", 2, 0x8000000B, 0x80000008},
        {u"Основной скин", 1, 0x00FBE3C8, 0x80000008},
    };
    writeSkinPictures({25, 26});
    Vazed& v = start();
    Edit& e = openEditor(v);
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        // A button lit when the skin changes shows the new normal picture.
        moveOver(e, e.Image9);
        e.Text1.setText(name);
        EXPECT_EQ(e.backColor(), c.background);
        EXPECT_EQ(e.Frame1.backColor(), c.background);
        EXPECT_EQ(e.Frame2.backColor(), c.background);
        for (const ui::CheckBox* check : {&e.Check1, &e.Check2}) {
            // What the box paints right of its caption.
            const QImage painted = check->widget()->grab().toImage();
            EXPECT_EQ(painted.pixelColor(painted.width() - 2, painted.height() / 2),
                      ui::toQColor(c.background));
            EXPECT_EQ(paletteColour(*check, QPalette::WindowText), ui::toQColor(c.text));
        }
        for (const auto& row : kValueLists) {
            EXPECT_EQ((e.*row.caption).foreColor(), c.text) << "Label" << row.n;
            const ui::PictureBox& button = e.*row.button;
            EXPECT_EQ(button.picture().size(), skinPictureSize(c.folder, 25)) << button.name().toStdString();
            EXPECT_EQ(button.picture().toImage(), e.Image2.picture().toImage())
                << button.name().toStdString();
        }
        EXPECT_EQ(e.Image2.picture().size(), skinPictureSize(c.folder, 25));
        EXPECT_EQ(e.Image3.picture().size(), skinPictureSize(c.folder, 26));
        // The lists look the same under every skin.
        EXPECT_EQ(e.List3.widget()->palette(), e.List14.widget()->palette());
    }
}

TEST_F(EditTest, ATextThatNamesNoSkinChangesNothing) {
    writeSkinPictures({25, 26});
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
    Vazed& v = start();
    Edit& e = openEditor(v);
    const Look before = lookOf(e);
    for (const char16_t* text : {u"темный скин", u"Темный скин ", u"", u"Rus", u"Основной"}) {
        e.Text1.setText(QString::fromUtf16(text));
        EXPECT_EQ(lookOf(e), before) << QString::fromUtf16(text).toStdString();
    }
}

TEST_F(EditTest, ASkinWithoutItsPicturesKeepsTheDesignPictures) {
    Vazed& v = start();
    Edit& e = openEditor(v);
    e.Text1.setText(QStringLiteral("Желтый скин"));
    EXPECT_EQ(e.backColor(), 0x80000018u);
    ASSERT_FALSE(e.Image2.picture().isNull());
    ASSERT_FALSE(e.Image3.picture().isNull());
    EXPECT_NE(e.Image2.picture().toImage(), e.Image3.picture().toImage());
    for (const auto& row : kValueLists) EXPECT_TRUE(shows(e.*row.button, e.Image2)) << row.n;
    // The buttons still light up and go back.
    moveOver(e, e.Image12);
    EXPECT_TRUE(shows(e.Image12, e.Image3));
    pressOn(e, e.Image12);
    EXPECT_TRUE(shows(e.Image12, e.Image2));
}

TEST_F(EditTest, EachLanguageCaptionsTheEditorFromItsColumnOfTheTranslationTable) {
    struct Case {
        const char* code;
        QChar column;
        const char16_t* title;
    };
    const Case cases[] = {
        {"Kaz", u'h', u"Сақталған деректерді өндеу"},
        {"Rus", u'g', u"Редактирование сохранненых данных"},
    };
    Vazed& v = start();
    Edit& e = openEditor(v);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        e.Text2.setText(QString::fromLatin1(c.code));
        EXPECT_EQ(e.caption(), QString::fromUtf16(c.title));
        for (const auto& s : kCaptionSteps) {
            const QString expected = velmox::translation(c.column, s.row);
            EXPECT_FALSE(expected.isEmpty()) << "row " << s.row;
            EXPECT_EQ(s.check ? (e.*s.check).caption() : (e.*s.label).caption(), expected) << "row " << s.row;
        }
        // Rows 47 to 50 caption the lists of the same meaning on both pages.
        EXPECT_EQ(e.Label8.caption(), e.Label19.caption());
        EXPECT_EQ(e.Label9.caption(), e.Label18.caption());
        EXPECT_EQ(e.Label5.caption(), e.Label21.caption());
        EXPECT_EQ(e.Label10.caption(), e.Label20.caption());
    }
    // Kazakh differs from Russian in the shipped workbook.
    EXPECT_NE(velmox::translation(u'h', 39), velmox::translation(u'g', 39));
}

TEST_F(EditTest, ATextThatIsNoLanguageCodeChangesNoCaption) {
    Vazed& v = start();
    Edit& e = openEditor(v);
    e.Text2.setText(QStringLiteral("Kaz"));
    const QString title = e.caption(), check = e.Check1.caption(), label = e.Label15.caption();
    for (const char* text : {"kaz", "Rus ", "", "RUS", "Основной скин"}) {
        e.Text2.setText(QString::fromUtf8(text));
        EXPECT_EQ(e.caption(), title) << text;
        EXPECT_EQ(e.Check1.caption(), check) << text;
        EXPECT_EQ(e.Label15.caption(), label) << text;
    }
}

TEST_F(EditTest, AnEmptyTranslationRowLeavesAnEmptyCaptionWhileTheTitleChanges) {
    Vazed& v = start();
    Edit& e = openEditor(v);
    velmox::layoutSheet().setText(48, 7, QString());
    e.Text2.setText(QStringLiteral("Kaz"));
    e.Text2.setText(QStringLiteral("Rus"));
    EXPECT_EQ(e.caption(), "Редактирование сохранненых данных");
    EXPECT_EQ(e.Label9.caption(), "");
    EXPECT_EQ(e.Label18.caption(), "");
    EXPECT_FALSE(e.Label8.caption().isEmpty());
}

TEST_F(EditTest, ButtonsLightUnderThePointerAndGoBackByTheirFrameTheirListOrAPress) {
    writeSkinPictures({25, 26});
    writeList(5, {"A", "B"});
    Vazed& v = start();
    Edit& e = openEditor(v);
    auto lit = [&e](const ui::PictureBox& b) { return shows(b, e.Image3); };
    auto normal = [&e](const ui::PictureBox& b) { return shows(b, e.Image2); };

    moveOver(e, e.Image9);
    moveOver(e, e.Image7);
    // Moving onto one button returns no other.
    EXPECT_TRUE(lit(e.Image9));
    EXPECT_TRUE(lit(e.Image7));

    // The list captions, the page switches and the window outside the frames change nothing.
    moveOver(e, e.Label7);
    moveOver(e, e.Check1);
    moveOverSurface(e, 6000, 7200);
    EXPECT_TRUE(lit(e.Image9));
    EXPECT_TRUE(lit(e.Image7));

    // Its own list returns a button, and only that one.
    moveOver(e, e.List5);
    EXPECT_TRUE(normal(e.Image7));
    EXPECT_TRUE(lit(e.Image9));

    // A press returns it; the click after the release leaves it so.
    moveOver(e, e.Image9);
    pressOn(e, e.Image9);
    EXPECT_TRUE(normal(e.Image9));
    QTest::mouseRelease(e.window()->windowHandle(), Qt::LeftButton, {},
                        e.Image9.widget()->mapTo(e.window(), e.Image9.widget()->rect().center()));
    settle();
    EXPECT_TRUE(normal(e.Image9));

    // The bare surface of the page frame returns every button of its page.
    moveOver(e, e.Image1);
    moveOver(e, e.Image12);
    moveOverSurface(e, 120 + 6300, 720 + 1000);
    for (const auto& row : kValueLists)
        if (row.page == 1) {
            EXPECT_TRUE(normal(e.*row.button)) << row.n;
        }
}

TEST_F(EditTest, TheSecondPagesFrameReturnsOnlyItsOwnButtons) {
    writeSkinPictures({25, 26});
    Vazed& v = start();
    Edit& e = openEditor(v);
    auto lit = [&e](const ui::PictureBox& b) { return shows(b, e.Image3); };
    moveOver(e, e.Image4);
    click(e, e.Check2);
    moveOver(e, e.Image23);
    moveOver(e, e.Image13);
    EXPECT_TRUE(lit(e.Image23));
    // List 21 returns its own button like every other list.
    moveOver(e, e.List21);
    EXPECT_FALSE(lit(e.Image23));
    EXPECT_TRUE(lit(e.Image13));
    moveOverSurface(e, 120 + 6300, 720 + 1000);
    EXPECT_FALSE(lit(e.Image13));
    EXPECT_TRUE(lit(e.Image4));
}
