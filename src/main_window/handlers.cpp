// Binds every handler of the main window; each group's handlers are bound in its own file.
#include "main_window/vazed.h"

namespace velmox {

void Vazed::bindHandlers() {
    bindMirrors();
    bindFontRow();
    bindLanguage();
    bindToolbar();
    bindStudentBase();
    bindEditAction();
    bindLayoutView();
    bindLayoutEditor();
    bindSettings();
}

}  // namespace velmox
