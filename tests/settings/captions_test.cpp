// Every caption of every window shows whole in both languages, measured with the font it is drawn
// in: no letter comes from a fallback font, and no caption is wider or higher than its control.
#include "support/captions.h"
#include "settings_fixture.h"
#include "value_lists/edit.h"

namespace {

using velmox::BazaVazed;
using velmox::Edit;
using velmox::Help;
using velmox::Nastroiki;
using velmox::Print1;
using velmox::Vazed;

class CaptionsTest : public SettingsTest {};

TEST_F(CaptionsTest, EveryCaptionOfEveryWindowShowsWholeInBothLanguages) {
    // The settings window's load loads every other window and gives each the language.
    Nastroiki& s = openSettings();
    Vazed& v = ui::form<Vazed>();
    Edit& e = ui::form<Edit>();
    struct Language {
        ui::CheckBox Nastroiki::*box;
        const char16_t* helpFrame;  // the help window's frame caption in that language
    };
    const Language languages[] = {{&Nastroiki::Check1, u"Системные требования"},
                                  {&Nastroiki::Check2, u"Жүйелік талаптар"}};
    for (const Language& language : languages) {
        (s.*language.box).setValue(1);
        settle();
        ASSERT_EQ(ui::form<Help>().Frame1.caption(), QString::fromUtf16(language.helpFrame));
        SCOPED_TRACE(QString::fromUtf16(language.helpFrame).toStdString());
        // The main window's captions are its entry panel's, and the notice of the layout view.
        EXPECT_EQ(captionsNotShownWhole(v.Frame1) + captionsNotShownWhole(v.Label46), QStringList());
        EXPECT_EQ(captionsNotShownWhole(s), QStringList());
        EXPECT_EQ(captionsNotShownWhole(ui::form<Help>()), QStringList());
        EXPECT_EQ(captionsNotShownWhole(ui::form<BazaVazed>()), QStringList());
        EXPECT_EQ(captionsNotShownWhole(ui::form<Print1>()), QStringList());
        // Both pages of the value list editor.
        for (ui::CheckBox* page : {&e.Check1, &e.Check2}) {
            page->setValue(1);
            settle();
            EXPECT_EQ(captionsNotShownWhole(e), QStringList()) << page->name().toStdString();
        }
    }
}

}  // namespace
