#pragma once
// The saved value list editor: the 21 saved value lists on two pages, one per half of the blank,
// each with its caption above it and its delete button beside it. The window reads the list files
// when it loads and writes a list's file only when an entry of that list is deleted.
#include <optional>

#include "common/saved_lists.h"
#include "platform/controls.h"

namespace velmox {

class Edit : public ui::Form {
public:
    Edit();

    // Reads the 21 list files again, in the load's order; nothing is selected afterwards. A file that
    // exists but cannot be read leaves its list empty and is named in one message, unless a message
    // has already shown a list empty for it.
    void readListFiles();
    // Removes the selected entry of list `n` from data\N.txt as the file is now, writes the file at
    // once and shows the list as written. A file that cannot be read is never written.
    void deleteEntries(int n);

    // In the order of the design table.
    ui::CheckBox Check1, Check2;
    ui::Frame Frame1, Frame2;
    ui::ListBox List1, List2, List3, List4, List5, List6, List7, List8, List9, List10, List11, List12, List13,
        List14, List15, List16, List17, List18, List19, List20, List21;
    ui::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10, Label11,
        Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19, Label20, Label21;
    ui::PictureBox Image1, Image4, Image5, Image6, Image7, Image8, Image9, Image10, Image11, Image12, Image13,
        Image14, Image15, Image16, Image17, Image18, Image19, Image20, Image21, Image22, Image23;
    ui::PictureBox Image2, Image3;
    ui::TextBox Text1, Text2;

    // Page switches.
    void Check1_Click();
    void Check2_Click();
    // Skin box and language box.
    void Text1_Change();
    void Text2_Change();

    // Delete buttons.
    void Image1_Click() { deleteEntries(1); }
    void Image4_Click() { deleteEntries(2); }
    void Image5_Click() { deleteEntries(3); }
    void Image6_Click() { deleteEntries(4); }
    void Image7_Click() { deleteEntries(5); }
    void Image8_Click() { deleteEntries(6); }
    void Image9_Click() { deleteEntries(7); }
    void Image10_Click() { deleteEntries(8); }
    void Image11_Click() { deleteEntries(9); }
    void Image12_Click() { deleteEntries(10); }
    void Image13_Click() { deleteEntries(11); }
    void Image14_Click() { deleteEntries(12); }
    void Image15_Click() { deleteEntries(13); }
    void Image16_Click() { deleteEntries(14); }
    void Image17_Click() { deleteEntries(15); }
    void Image18_Click() { deleteEntries(16); }
    void Image19_Click() { deleteEntries(17); }
    void Image20_Click() { deleteEntries(18); }
    void Image21_Click() { deleteEntries(19); }
    void Image22_Click() { deleteEntries(20); }
    void Image23_Click() { deleteEntries(21); }
    void Image1_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image1); }
    void Image4_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image4); }
    void Image5_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image5); }
    void Image6_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image6); }
    void Image7_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image7); }
    void Image8_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image8); }
    void Image9_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image9); }
    void Image10_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image10); }
    void Image11_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image11); }
    void Image12_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image12); }
    void Image13_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image13); }
    void Image14_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image14); }
    void Image15_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image15); }
    void Image16_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image16); }
    void Image17_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image17); }
    void Image18_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image18); }
    void Image19_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image19); }
    void Image20_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image20); }
    void Image21_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image21); }
    void Image22_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image22); }
    void Image23_MouseDown(const ui::MouseArgs&) { showNormal(&Edit::Image23); }
    void Image1_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image1); }
    void Image4_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image4); }
    void Image5_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image5); }
    void Image6_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image6); }
    void Image7_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image7); }
    void Image8_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image8); }
    void Image9_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image9); }
    void Image10_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image10); }
    void Image11_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image11); }
    void Image12_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image12); }
    void Image13_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image13); }
    void Image14_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image14); }
    void Image15_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image15); }
    void Image16_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image16); }
    void Image17_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image17); }
    void Image18_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image18); }
    void Image19_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image19); }
    void Image20_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image20); }
    void Image21_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image21); }
    void Image22_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image22); }
    void Image23_MouseMove(const ui::MouseArgs&) { showHover(&Edit::Image23); }
    // Page frames and lists return delete buttons to their normal picture.
    void Frame1_MouseMove(const ui::MouseArgs&);
    void Frame2_MouseMove(const ui::MouseArgs&);
    void List1_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image1); }
    void List2_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image4); }
    void List3_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image5); }
    void List4_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image6); }
    void List5_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image7); }
    void List6_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image8); }
    void List7_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image9); }
    void List8_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image10); }
    void List9_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image11); }
    void List10_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image12); }
    void List11_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image13); }
    void List12_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image14); }
    void List13_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image15); }
    void List14_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image16); }
    void List15_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image17); }
    void List16_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image18); }
    void List17_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image19); }
    void List18_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image20); }
    void List19_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image21); }
    void List20_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image22); }
    void List21_MouseMove(const ui::MouseArgs&) { showNormal(&Edit::Image23); }

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void buildControls();
    void bindHandlers();
    void showNormal(ui::PictureBox Edit::*button);
    void showHover(ui::PictureBox Edit::*button);
    // The design look of the buttons and templates, also when a skin's pictures are missing.
    void showBuiltInPictures();
    // Fills list `n` from its file; why, when the file exists but cannot be read.
    std::optional<savedlists::Unreadable> readListFile(int n);
};

}  // namespace velmox
