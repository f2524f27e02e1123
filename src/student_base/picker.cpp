// The student picker and the toolbar buttons of the student base and the print.
#include "main_window/vazed.h"

namespace velmox {

void Vazed::bindStudentBase() {}

}  // namespace velmox
