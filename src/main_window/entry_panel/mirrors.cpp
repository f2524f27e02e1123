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

void Vazed::bindMirrors() {
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
}

}  // namespace velmox
