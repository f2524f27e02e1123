#pragma once
// The main window started on a throw-away program folder that also holds a student base, with the
// helpers to build one and to drive the student base window and the print dialog as an operator.
#include <QSize>
#include <QTest>
#include <array>
#include <vector>

#include "main_window/vazed_fixture.h"
#include "platform/paths.h"
#include "student_base/baza_vazed.h"
#include "student_base/print1.h"

// Columns A to F of one student row; "" leaves the cell out, a leading "#" makes it a number.
using StudentRow = std::array<QString, 6>;

// The students most tests use.
inline const StudentRow kKasymov = {"Касымов Ерлан", "Серикович", "Қасымов Ерлан",
                                    "Серікұлы",      "#2019",     "0001243"};
inline const StudentRow kOmirbekova = {"Омирбекова Айгерим", "Бауыржановна", "Өмірбекова Әйгерім",
                                       "Бауыржанқызы",       "#2019",        "0001244"};
inline const StudentRow kIvanova = {"Иванова Анна", "Петровна", "Иванова Анна",
                                    "Петровна",     "#2020",    "0001245"};

// A "2.xml" as the component writes it: a heading row, then the rows from row 2 on.
QByteArray studentBaseXml(const std::vector<StudentRow>& rows);

// Every skin picture is a JPEG whose size tells where it came from: picture N of image\SkinK is
// (N + 10) by (K + 10) pixels.
QSize skinPictureSize(int folder, int number);

class StudentBaseTest : public VazedTest {
protected:
    void TearDown() override;

    void writeBase(const std::vector<StudentRow>& rows) const;
    // Writes the skin pictures with these numbers into all four skin folders.
    void writeSkinPictures(std::initializer_list<int> numbers) const;

    // The window on the screen, so that the mouse reaches it as the window system would route it.
    static void expose(ui::Form& form);
    // A left click on a control of a shown window, through the window system.
    static void click(ui::Form& form, const ui::Control& control);
    static void moveOver(ui::Form& form, const ui::Control& control);
    static void pressOn(ui::Form& form, const ui::Control& control);
    // A move over the window's own surface at this point, in twips of its client area.
    static void moveOverSurface(ui::Form& form, float x, float y);
    // Types into cell (row, column), 1-based, of the window's grid and ends the cell with Enter.
    static void typeIntoCell(workbook::Spreadsheet& sheet, int row, int column, const QString& text);
    // Runs the queued calls: the deletion of closed windows, Enter's deferred commit.
    static void settle();

    static QStringList pickerItems(const velmox::Vazed& v);
};

// Types `text` key by key into a widget; QTest::keyClicks takes Latin-1 only, and the operator
// types Cyrillic and Kazakh letters.
void typeText(QWidget* w, const QString& text);

// The six entry controls a pick fills, in the order of columns C, D, A, B, E, F.
QStringList pickedEntries(const velmox::Vazed& v);
