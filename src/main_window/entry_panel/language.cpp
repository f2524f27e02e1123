// The main window's captions from the translation table, its tooltips from the program, and the
// field outlines.
#include "main_window/vazed.h"
#include "main_window/vazed_tables.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
const std::vector<language::Text<Vazed>>& languageTable() {
    static const auto table = [] {
        std::vector<language::Text<Vazed>> out;
        for (const CaptionLabelDesign& c : kCaptionLabels) out.push_back(language::caption(c.label, c.row));
        out.insert(out.end(), std::begin(kLanguageAfterCaptions), std::end(kLanguageAfterCaptions));
        return out;
    }();
    return table;
}
}  // namespace

void Vazed::bindLanguage() {
    Text43.onChange = [this] { Text43_Change(); };
    Text48.onChange = [this] { Text48_Change(); };
}

void Vazed::Text43_Change() {
    language::apply<Vazed>(*this, Text43.text(), languageTable(), translationRow);
}

void Vazed::Text48_Change() {
    for (const char* flag : {"1", "0"}) {
        if (Text48.text() != QLatin1String(flag)) continue;
        const int style = flag[0] == '1' ? 1 : 0;
        for (const PrintField& f : kPrintFields) (this->*f.label).setBorderStyle(style);
    }
}

}  // namespace velmox
