// The main window's captions from the translation table, its tooltips from the program, and the
// field outlines.
#include "main_window/vazed.h"
#include "main_window/vazed_tables.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
void applyLanguage(Vazed& v, QChar column, bool kazakh) {
    auto caption = [column](int row) { return translation(column, row); };
    for (const CaptionStep& s : kCaptionSteps) (v.*s.label).setCaption(caption(s.row));
    v.setCaption(caption(kTitleRow));
    for (const ButtonTip& t : kButtonTips)
        (v.*t.button).setToolTipText(QString::fromUtf16(kazakh ? t.kaz : t.rus));
    for (const DateTip& t : kDateTips) (v.*t.box).setToolTipText(QString::fromUtf16(kazakh ? t.kaz : t.rus));
}
}  // namespace

void Vazed::Text43_Change() {
    if (Text43.text() == QLatin1String("Kaz")) applyLanguage(*this, 'h', true);
    if (Text43.text() == QLatin1String("Rus")) applyLanguage(*this, 'g', false);
}

void Vazed::Text48_Change() {
    for (const char* flag : {"1", "0"}) {
        if (Text48.text() != QLatin1String(flag)) continue;
        const int style = flag[0] == '1' ? 1 : 0;
        for (const PrintField& f : kPrintFields) (this->*f.label).setBorderStyle(style);
    }
}

}  // namespace velmox
