#pragma once
// The settings window's two hover buttons, each with its two picture holders below the client area
// and the number of its skin picture.
#include "common/hover_button.h"
#include "settings/nastroiki.h"

namespace velmox {

inline constexpr hover::Button<Nastroiki> kSettingsButtons[2] = {
    {&Nastroiki::Image1, &Nastroiki::Image5, &Nastroiki::Image6, 5},   // printer set-up
    {&Nastroiki::Image2, &Nastroiki::Image3, &Nastroiki::Image4, 21},  // driver installer
};

}  // namespace velmox
