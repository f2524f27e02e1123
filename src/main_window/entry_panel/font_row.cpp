// The font row: one font name, style and size for all 47 field labels.
#include <QLocale>

#include "common/number_text.h"
#include "main_window/vazed.h"

namespace velmox {

namespace {
struct StyleWord {
    const char16_t* word;
    bool bold, italic;
};
// In the order the style box tests them.
// clang-format off
constexpr StyleWord kStyleWords[] = {
    {u"жирный",           true,  false},
    {u"жирный курсивный", true,  true},
    {u"обычный",          false, false},
    {u"курсивный",        false, true},
};
// clang-format on
constexpr const char16_t* kStyleList[] = {u"обычный", u"жирный", u"курсивный", u"жирный курсивный"};

template <class F>
void forEachFieldLabel(Vazed& v, F&& f) {
    for (const PrintField& p : kPrintFields) f(v.*p.label);
}
}  // namespace

void Vazed::FillFontLists() {
    Combo24.clear();
    QStringList sizes;
    for (int size = 7; size <= 12; ++size) sizes << QString::number(size);
    Combo24.addItems(sizes);
    Combo23.clear();
    QStringList styles;
    for (const char16_t* w : kStyleList) styles << QString::fromUtf16(w);
    Combo23.addItems(styles);
    Combo22.clear();
    QStringList fonts = ui::services().screenFonts();
    // Only runs of adjacent equal names shrink to one; equal names further apart all stay.
    fonts.erase(std::unique(fonts.begin(), fonts.end()), fonts.end());
    Combo22.addItems(fonts);
    // Emptying the list emptied the box; treat that as the change it is, so an empty saved font
    // name still gives "Times New Roman".
    Combo22_Change();
}

void Vazed::ApplyFontRow() {
    ApplyFontSize();
    ApplyFontStyle();
    ApplyFontName();
}

void Vazed::ApplyFontName() {
    forEachFieldLabel(*this, [this](ui::Label& l) { l.setFontName(Combo22.text()); });
}

void Vazed::ApplyFontStyle() {
    for (const StyleWord& s : kStyleWords) {
        if (Combo23.text() != QString::fromUtf16(s.word)) continue;
        forEachFieldLabel(*this, [&s](ui::Label& l) { l.setFontBold(s.bold); });
        forEachFieldLabel(*this, [&s](ui::Label& l) { l.setFontItalic(s.italic); });
    }
}

void Vazed::ApplyFontSize() {
    // A size that is not a positive number leaves the labels' sizes as they are.
    const std::optional<double> size = numbertext::parse(Combo24.text());
    if (!size || *size <= 0 || *size > 1638) return;
    forEachFieldLabel(*this, [&size](ui::Label& l) { l.setFontSize(float(*size)); });
}

void Vazed::bindFontRow() {
    Combo22.onChange = [this] { Combo22_Change(); };
    Combo22.onClick = [this] { Combo22_Click(); };
    Combo23.onClick = [this] { Combo23_Click(); };
    Combo24.onClick = [this] { Combo24_Click(); };
    for (ui::ComboBox* box : {&Combo22, &Combo23, &Combo24})
        box->onKeyPress = [this](std::int16_t& key) { FontRow_KeyPress(key); };
}

void Vazed::Combo22_Change() {
    if (Combo22.text().isEmpty()) Combo22.setText(QStringLiteral("Times New Roman"));
}

void Vazed::Combo22_Click() {
    ApplyFontName();
}
void Vazed::Combo23_Click() {
    ApplyFontStyle();
}
void Vazed::Combo24_Click() {
    ApplyFontSize();
}

void Vazed::FontRow_KeyPress(std::int16_t& keyAscii) {
    // Typing is refused: two passes over the codes 0..255 and 1..255, each beeping on a match or
    // on any code above 255, and replacing the code by 28, which the box does not insert.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = pass; i <= 255; ++i) {
            if (keyAscii == i || keyAscii > 255) {
                ui::services().beep();
                keyAscii = 28;
            }
        }
    }
}

}  // namespace velmox
