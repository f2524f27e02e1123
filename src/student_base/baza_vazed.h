#pragma once
// The student base window: the student base "2.xml" in an editable spreadsheet, with "Сохранить",
// "Импортировать" and "Экспортировать". The student picker reads its students from here, saved or
// not, through ReadStudentCell.
#include "platform/common_dialog.h"
#include "platform/controls.h"
#include "workbook/spreadsheet.h"

namespace velmox {

class BazaVazed : public ui::Form {
public:
    BazaVazed();

    // The cell at a row, given as its decimal text ("2", "3", …), and a column 1 to 6 (A to F) of
    // the worksheet the operator sees; an empty cell is Empty, and so is every cell while 2.xml is
    // held by another program (read again by the next read). The first read loads the window,
    // hidden.
    static workbook::CellValue ReadStudentCell(const QString& row, int column);

    // The window, loaded, with its table read: where its last read found 2.xml held by another
    // program, it is read again now. Null while it still is (the operator has been told).
    static BazaVazed* withTableRead();

    // In the order of the design table.
    ui::PictureBox Image1, Image4, Image7;
    workbook::Spreadsheet Spreadsheet1;
    ui::CommonDialog CommonDialog1;
    ui::Frame Frame1;
    ui::PictureBox Image2, Image3, Image5, Image6, Image8, Image9;
    ui::TextBox Text3, Text4, Text5, Text6, Text7;

    void Image1_Click();
    void Image4_Click();
    void Image7_Click();
    void Text4_Change();
    void Text5_Change();
    void Form_MouseMove();
    void Image1_MouseDown();
    void Image1_MouseMove();
    void Image4_MouseDown();
    void Image4_MouseMove();
    void Image7_MouseDown();
    void Image7_MouseMove();

    // The size the window takes when data\pw.txt and data\ph.txt give none it can use.
    static constexpr float kDesignWidth = 16605 + kFrameWidth;
    static constexpr float kDesignHeight = 7710 + kFrameHeight;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize() override;

private:
    void loadStudentBase();
    // `widthRead`, `heightRead`: the size file is there and was read, so a line in it that gives no
    // size is the operator's to know of.
    void applyKeptSize(bool widthRead, bool heightRead);

    // "2.xml" was there but did not load: the next save first keeps it under the first free backup
    // name, "2.xml.bak", "2.xml.1.bak", …
    bool keepUnreadableOriginal_ = false;
    QString toldBackup_;     // the backup name the load's message gave
    bool baseBusy_ = false;  // the last read found 2.xml held by another program
    QString exportName_;
};

}  // namespace velmox
