// The settings broadcast: the settings window's language and skin handlers give the window its own
// captions and look and pass the language code or skin name on to every other window, whose own
// handlers apply it; the outline handler sets the main window's field label borders itself.
#include "common/language.h"
#include "common/skins.h"
#include "main_window/vazed.h"
#include "settings/help.h"
#include "settings/nastroiki.h"
#include "settings/nastroiki_buttons.h"
#include "student_base/baza_vazed.h"
#include "student_base/print1.h"
#include "value_lists/edit.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
// A write into a box of window W; the first write into a window that is not loaded loads it,
// hidden, and its load runs whole before the write.
template <class W, ui::TextBox W::*Box>
void writeBox(const QString& text) {
    (ui::form<W>().*Box).setText(text);
}

struct Target {
    void (*language)(const QString&);
    void (*skin)(const QString&);
};
// Both broadcasts write the windows in this order.
// clang-format off
constexpr Target kTargets[] = {
    {&writeBox<Vazed, &Vazed::Text43>, &writeBox<Vazed, &Vazed::Text47>},
    {&writeBox<BazaVazed, &BazaVazed::Text4>, &writeBox<BazaVazed, &BazaVazed::Text5>},
    {&writeBox<Edit, &Edit::Text2>, &writeBox<Edit, &Edit::Text1>},
    {&writeBox<Help, &Help::Text2>, &writeBox<Help, &Help::Text1>},
    {&writeBox<Print1, &Print1::Text2>, &writeBox<Print1, &Print1::Text1>},
};
// clang-format on

// The window's captions from the translation table, then the two buttons' own tooltips.
// clang-format off
constexpr language::Text<Nastroiki> kLanguage[] = {
    language::title<Nastroiki>(29),
    language::caption(&Nastroiki::Frame1, 25),
    language::caption(&Nastroiki::Frame4, 30),
    language::caption(&Nastroiki::Check1, 23),
    language::caption(&Nastroiki::Check2, 24),
    language::caption(&Nastroiki::Check3, 61),
    language::caption(&Nastroiki::Label2, 26),
    language::caption(&Nastroiki::Label3, 27),
    language::tip(&Nastroiki::Image1, u"Установить принтер", u"Принтерді орнату"),
    language::tip(&Nastroiki::Image2, u"Установить драйвер", u"Драйверді орнату"),
};
// clang-format on

// The language pair follows the language: the first box is ticked, the second cleared.
struct Ticks {
    const char* code;
    ui::CheckBox Nastroiki::*ticked;
    ui::CheckBox Nastroiki::*cleared;
};
// In the order the handler tests them.
constexpr Ticks kTicks[] = {
    {"Rus", &Nastroiki::Check1, &Nastroiki::Check2},
    {"Kaz", &Nastroiki::Check2, &Nastroiki::Check1},
};

using Paint = skin::Paint<Nastroiki>;
// The outline check box keeps the inactive caption colour under two skins.
constexpr skin::SkinColours kCheck3Text = {0x80000013, 0x80000012, 0x80000013, 0x00FFC0FF};
constexpr Paint kBackgrounds[] = {&Nastroiki::Check3, &Nastroiki::Frame1, &Nastroiki::Frame4, Paint(),
                                  &Nastroiki::Check1, &Nastroiki::Check2};
constexpr auto kPictures = hover::skinPictures(kSettingsButtons);
constexpr Paint kTexts[] = {&Nastroiki::Check1, &Nastroiki::Check2, {&Nastroiki::Check3, &kCheck3Text},
                            &Nastroiki::Frame1, &Nastroiki::Frame4, &Nastroiki::Label2,
                            &Nastroiki::Label3};
const skin::Look<Nastroiki> kLook{kBackgrounds, kPictures, kTexts};
}  // namespace

void Nastroiki::Text2_Change() {
    // Each test reads the box afresh: a tick's click handler may write it.
    for (const Ticks& t : kTicks) {
        if (Text2.text() != QLatin1String(t.code)) continue;
        language::apply(*this, Text2.text(), kLanguage, translationRow);
        (this->*t.ticked).setValue(1);
        (this->*t.cleared).setValue(0);
    }
    // Whatever the box holds, also a code that names no language.
    for (const Target& t : kTargets) t.language(Text2.text());
}

// The other windows take the skin before this one does.
void Nastroiki::Text3_Change() {
    for (const Target& t : kTargets) t.skin(Text3.text());
    skin::apply(*this, Text3.text(), kLook);
}

// The main window's own outline box keeps the value it read at start-up.
void Nastroiki::Text4_Change() {
    Vazed& v = ui::form<Vazed>();
    for (const char* flag : {"1", "0"}) {
        if (Text4.text() != QLatin1String(flag)) continue;
        const int style = flag[0] == '1' ? 1 : 0;
        for (const PrintField& f : kPrintFields) (v.*f.label).setBorderStyle(style);
    }
    Check3.setValue(Text4.text() == QLatin1String("1") ? 1 : 0);
}

}  // namespace velmox
