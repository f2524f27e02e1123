// The mirror: each change of an entry control's text, typed, picked or written by code, is
// copied whole into its field label (two labels for the three shared boxes, left half first).
#include "main_window/vazed.h"
#include "main_window/vazed_tables.h"

namespace velmox {

namespace {
void mirror(Vazed& v, const EntryRef& entry) {
    for (const PrintField& f : kPrintFields)
        if (f.entry == entry) (v.*f.label).setCaption(entry.get(v));
}
}  // namespace

void Vazed::bindHandlers() {
    for (const EntryControlDesign& e : kEntryControls) {
        const EntryRef entry = e.control;
        if (entry.text) {
            (this->*entry.text).onChange = [this, entry] { mirror(*this, entry); };
        } else {
            ui::ComboBox& c = this->*entry.combo;
            c.onChange = [this, entry] { mirror(*this, entry); };
            c.onClick = [this, entry] { mirror(*this, entry); };
        }
    }
    Combo22.onChange = [this] { Combo22_Change(); };
    Combo22.onClick = [this] { Combo22_Click(); };
    Combo23.onClick = [this] { Combo23_Click(); };
    Combo24.onClick = [this] { Combo24_Click(); };
    for (ui::ComboBox* box : {&Combo22, &Combo23, &Combo24})
        box->onKeyPress = [this](std::int16_t& key) { FontRow_KeyPress(key); };
    Text43.onChange = [this] { Text43_Change(); };
    Text48.onChange = [this] { Text48_Change(); };
    bindToolbar();
    bindStudentBase();
    bindEditAction();
    bindLayoutView();
    bindLayoutEditor();
    bindSettings();
}

}  // namespace velmox
