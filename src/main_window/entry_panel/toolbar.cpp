// The skin of the main window and its toolbar buttons.
#include "main_window/vazed.h"

namespace velmox {

void Vazed::bindToolbar() {}

}  // namespace velmox
