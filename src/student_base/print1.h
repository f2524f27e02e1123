#pragma once
// The print dialog: shows whose diploma is about to be printed and prints the main window's field
// labels on the default printer, with everything else on the window hidden for the print.
#include "platform/controls.h"

namespace velmox {

class Print1 : public ui::Form {
public:
    Print1();

    // In the order of the design table.
    ui::Label Label1, Label2, Label3;
    ui::PictureBox Image1, Image4;
    ui::PictureBox Image2, Image3, Image5, Image6;
    ui::TextBox Text2, Text1;

    void Image1_Click();
    void Image4_Click();
    void Text2_Change();
    void Text1_Change();
    void Form_MouseMove();
    void Image1_MouseDown();
    void Image1_MouseMove();
    void Image4_MouseDown();
    void Image4_MouseMove();

protected:
    void Form_Load() override;
};

}  // namespace velmox
