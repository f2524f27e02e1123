#pragma once
// The main window started on a throw-away program folder that holds everything every window's
// load reads: settings files, a student base, the window size files and small skin pictures whose
// size tells which picture of which skin a control shows.
#include <QTest>

#include "settings/help.h"
#include "settings/nastroiki.h"
#include "student_base/student_base_fixture.h"

class SettingsTest : public StudentBaseTest {
protected:
    void SetUp() override;

    // The three settings files; nullptr leaves a file out.
    void writeSettings(const char* lang, const QString* skin, const char* line) const;
    // Starts the program and presses "Настройки".
    velmox::Nastroiki& openSettings();
    // The settings window put on the screen, for the mouse.
    velmox::Nastroiki& openSettingsShown();
    // Closes a window with its close box, as the operator does.
    static void closeByOperator(ui::Form& form);
    // A click on a skin list entry by its text, through the window system.
    static void clickSkin(velmox::Nastroiki& s, const QString& name);
    // A click in the middle of a check box, through the window system.
    static void clickCheck(velmox::Nastroiki& s, const ui::CheckBox& box);

    // The picture a control shows: its number and its skin folder (0, 0 for none).
    static int pictureNumber(const ui::PictureBox& p) {
        return p.picture().isNull() ? 0 : p.picture().width() - 10;
    }
    static int pictureFolder(const ui::PictureBox& p) {
        return p.picture().isNull() ? 0 : p.picture().height() - 10;
    }
};

QString skinName(int row);
