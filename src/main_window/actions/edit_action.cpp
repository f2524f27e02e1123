// "Редактировать": saves the entry state, placing the field labels between its two steps, hides the
// main window and shows the saved value list editor in its place.
#include "main_window/vazed.h"
#include "value_lists/edit.h"

namespace velmox {

void Vazed::bindEditAction() {
    Image24.onClick = [this] { Image24_Click(); };
}

void Vazed::Image24_Click() {
    SaveEntryState([this] { PlaceFieldLabels(); });
    hide();
    try {
        const bool loadedEarlier = ui::formLoaded<Edit>();
        Edit& editor = ui::form<Edit>();
        // An editor loaded hidden earlier (by the settings) holds the lists of that moment: it reads
        // the files again, so it shows what the save has just merged and a delete never writes an
        // older list over it.
        if (loadedEarlier) editor.readListFiles();
        editor.show();
    } catch (const ui::Error& e) {
        ui::showError(QString::fromUtf8(e.what()));
    } catch (...) {
        // A fault of another kind is reported where the click was dispatched, the main window back.
        show();
        throw;
    }
    // The operator is never left without a window.
    if (!ui::formLoaded<Edit>() || !ui::form<Edit>().isShown()) show();
}

}  // namespace velmox
