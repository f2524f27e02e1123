#pragma once
// The QR program's only window. Its client area stands for the sheet: the picture Image1 lands on
// the paper at its Top and Left, at its size. Three scroll bars move and size the picture; the
// picture's place lives in the picture itself, in four hidden position boxes and in the bars, and
// survives from one run to the next in the position file.
#include <optional>

#include "platform/controls.h"

namespace qr {

class QR : public ui::Form {
public:
    QR();

    // In the order of the design table.
    ui::PictureBox Image1;                          // the picture, stretched to its own size
    ui::PictureBox Image5;                          // load button
    ui::PictureBox Image2;                          // print button
    ui::PictureBox Image6, Image7, Image3, Image4;  // hidden picture holders: normal and hover of each button
    ui::TextBox Text1;                              // the loaded picture's path
    ui::TextBox Text2, Text3, Text4, Text5;         // hidden: Top, Left, Height, Width
    ui::TextBox Text6;                              // hidden: the position file's text before it is written
    ui::TextBox Text7, Text8;                       // hidden: language code, skin name
    ui::VScrollBar ScrollBar1;                      // Top
    ui::HScrollBar ScrollBar2;                      // Left
    ui::HScrollBar ScrollBar3;                      // size
    ui::CommonDialog CommonDialog1;

    void ScrollBar1_Change();
    void ScrollBar1_Scroll();
    void ScrollBar2_Change();
    void ScrollBar2_Scroll();
    void ScrollBar3_Change();
    void ScrollBar3_Scroll();
    void Image5_Click();
    void Image2_Click();
    void Text7_Change();
    void Text8_Change();
    void Image5_MouseMove();
    void Image2_MouseMove();
    void Image5_MouseDown();
    void Image2_MouseDown();
    void Form_MouseMove();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void buildControls();
    void bindHandlers();

    // The place the start showed for a position file another program held, which it did not read.
    std::optional<QStringList> busyPlace_;
};

}  // namespace qr
