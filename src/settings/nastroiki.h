#pragma once
// The settings window: interface language, skin and field outlines for every window at once,
// printer set-up and the Kazakh language driver's installer. Its three hidden boxes hold the
// settings; a change of one is applied everywhere inside the write, and the close writes them to
// data\lang.txt, data\Skin.txt and data\Line.txt.
#include <optional>

#include "platform/controls.h"

namespace velmox {

class Nastroiki : public ui::Form {
public:
    Nastroiki();

    // Writes the three settings files from the boxes, each whole through a temporary file. A box
    // that still holds its design text has never been set and is written as an empty line. A file
    // that could not be read at the load is left as it was until the operator sets its value. A
    // write that fails is reported once, naming the file; the others are still written.
    void writeSettingsFiles();

    // In the order of the design table.
    ui::Frame Frame1;
    ui::CheckBox Check1, Check2;
    ui::Frame Frame4;
    ui::ListBox List1;
    ui::Label Label2;
    ui::PictureBox Image1;
    ui::Label Label3;
    ui::PictureBox Image2;
    ui::CheckBox Check3;
    ui::Line Line3, Line2, Line1, Line4;
    ui::CommonDialog CommonDialog1;
    // Below the client area.
    ui::TextBox Text4, Text3, Text2;
    ui::PictureBox Image3, Image4, Image5, Image6;

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void List1_Click();
    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Image1_Click();
    void Image2_Click();
    void Image1_MouseMove();
    void Image2_MouseMove();
    void Image1_MouseDown();
    void Image2_MouseDown();
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Frame4_MouseMove();
    void Label3_MouseMove();
    void Label2_MouseMove();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void bindHandlers();

    // For each of the language, the skin and the outlines whose file could not be read at the load:
    // the value its box held then. Its file is written only once the box holds another.
    std::optional<QString> unreadValue_[3];
};

}  // namespace velmox
