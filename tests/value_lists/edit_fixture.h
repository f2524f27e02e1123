#pragma once
// The main window started on a throw-away program folder with list files, and the value list
// editor driven as an operator drives it.
#include "student_base/student_base_fixture.h"
#include "value_lists/edit.h"

class EditTest : public StudentBaseTest {
protected:
    void TearDown() override;

    // Writes data\N.txt from lines, each ended by CR LF, in Windows-1251.
    void writeList(int n, const QStringList& entries) const;
    // The editor as the main window's "Редактировать" button opens it, with a real click.
    velmox::Edit& openEditor(velmox::Vazed& v);
    // A real click on entry `i` of a list of a shown window.
    static void clickEntry(ui::Form& form, ui::ListBox& list, int i);

    static QStringList entries(const ui::ListBox& list) { return list.items(); }
};

// The list box of list N and its delete button.
ui::ListBox& listOf(velmox::Edit& e, int n);
ui::PictureBox& buttonOf(velmox::Edit& e, int n);
