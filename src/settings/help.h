#pragma once
// The help window: the program's system requirements. It has no actions; its hidden language and
// skin boxes re-caption and recolour it, from its load and from the settings broadcast.
#include "platform/controls.h"

namespace velmox {

class Help : public ui::Form {
public:
    Help();

    // In the order of the design table.
    ui::Frame Frame1;
    ui::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
    ui::TextBox Text1, Text2;
    ui::Label Label10;

    void Text2_Change();
    void Text1_Change();

protected:
    void Form_Load() override;
    void Form_Unload() override;
};

}  // namespace velmox
