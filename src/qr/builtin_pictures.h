#pragma once
// The pictures stored with the window's design, 35 × 35 pixels: the two buttons show them, and
// their holders keep them, until a skin is applied.
#include <QPixmap>

namespace qr {

enum class BuiltinPicture { Load, LoadLit, Print, PrintLit };

QPixmap builtinPicture(BuiltinPicture which);

}  // namespace qr
