#pragma once
// The nine toolbar buttons from left to right, each with its two picture holders in Frame2 and
// the number of its skin picture.
#include "common/hover_button.h"
#include "main_window/vazed.h"

namespace velmox {

inline constexpr hover::Button<Vazed> kToolbar[9] = {
    {&Vazed::Image1, &Vazed::Image2, &Vazed::Image3, 1},        // "Загрузить данные"
    {&Vazed::Image201, &Vazed::Image203, &Vazed::Image202, 5},  // "Отправить на печать"
    {&Vazed::Image4, &Vazed::Image5, &Vazed::Image6, 3},        // "База студентов"
    {&Vazed::Image15, &Vazed::Image16, &Vazed::Image17, 7},     // "Блок"
    {&Vazed::Image18, &Vazed::Image19, &Vazed::Image20, 9},     // "Открыть"
    {&Vazed::Image24, &Vazed::Image25, &Vazed::Image26, 23},    // "Редактировать"
    {&Vazed::Image21, &Vazed::Image22, &Vazed::Image23, 13},    // "Автор"
    {&Vazed::Image10, &Vazed::Image11, &Vazed::Image12, 21},    // "Настройки"
    {&Vazed::Image7, &Vazed::Image8, &Vazed::Image9, 11},       // "QR"
};

}  // namespace velmox
