// The main window's toolbar buttons "Настройки" and "Автор": the settings window beside it, the
// help window in its place.
#include "main_window/vazed.h"
#include "settings/help.h"
#include "settings/nastroiki.h"

namespace velmox {

void Vazed::bindSettings() {
    Image10.onClick = [this] { Image10_Click(); };
    Image21.onClick = [this] { Image21_Click(); };
}

// The first opening loads the settings window, and its load loads every other window, hidden.
// The main window stays as it is.
void Vazed::Image10_Click() {
    ui::form<Nastroiki>().show();
}

// The help window takes the main window's place; should it fail to come up, the main window comes
// back rather than leave the operator with no window at all.
void Vazed::Image21_Click() {
    hide();
    try {
        ui::form<Help>().show();
    } catch (...) {
        show();
        throw;
    }
    if (!ui::formLoaded<Help>() || !ui::form<Help>().isShown()) show();
}

}  // namespace velmox
