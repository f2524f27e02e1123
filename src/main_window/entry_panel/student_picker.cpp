// The student picker and the toolbar buttons of the student base and the print.
#include "main_window/vazed.h"
#include "student_base/baza_vazed.h"
#include "student_base/print1.h"
#include "student_base/students.h"

namespace velmox {

namespace {
struct Copy {
    int column;
    ui::TextBox Vazed::*box;
};
// In the order the pick writes them.
// clang-format off
constexpr Copy kCopies[] = {
    {3, &Vazed::Text2},
    {4, &Vazed::Text3},
    {1, &Vazed::Text15},
    {2, &Vazed::Text16},
    {5, &Vazed::Text4},
    {6, &Vazed::Text14},
};
// clang-format on

void copyStudent(Vazed& v, const QString& row) {
    for (const Copy& c : kCopies) (v.*c.box).setText(students::cellText(row, c.column));
}
}  // namespace

void Vazed::bindStudentBase() {
    Image1.onClick = [this] { Image1_Click(); };
    Combo1.onClick = [this] { Combo1_Click(); };
    Image201.onClick = [this] { Image201_Click(); };
    Image4.onClick = [this] { Image4_Click(); };
}

void Vazed::Image1_Click() {
    Combo1.clear();
    Combo1.setEnabled(true);
    // A base another program holds leaves the picker empty until the next press.
    if (!BazaVazed::withTableRead()) return;
    Combo1.addItems(students::pickerItems());
    // The first student is picked at once; an empty base leaves nothing to pick, and the entry
    // controls keep their values.
    if (Combo1.listCount() > 0) Combo1.setListIndex(0);
}

void Vazed::Combo1_Click() {
    const QString chosen = Combo1.text();
    // The entry stands for its own row, so namesakes each give their own year and number; only a
    // base changed since the fill is searched by the entry's text.
    if (const int index = Combo1.listIndex(); index >= 0) {
        const QString row = QString::number(index + 2);
        if (students::pickerItem(row) == chosen) return copyStudent(*this, row);
    }
    for (int r = 2;; ++r) {
        const QString row = QString::number(r);
        if (students::cellText(row, 1).isEmpty()) return;
        if (students::pickerItem(row) == chosen) copyStudent(*this, row);
    }
}

void Vazed::Image4_Click() {
    if (BazaVazed* base = BazaVazed::withTableRead()) base->show();
}

void Vazed::Image201_Click() {
    Print1& p = ui::form<Print1>();
    p.Label1.setCaption(Text2.text() + u' ' + Text3.text());
    p.Label3.setCaption(Text14.text());
    p.show();
}

}  // namespace velmox
