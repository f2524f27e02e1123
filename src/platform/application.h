#pragma once
// The application object of both programs and of their tests: before the first window, the
// system's fonts are ready for the design fonts and Qt's own dialogs (file, printer) speak
// Russian, under either language, since Qt has no Kazakh texts; their numbers, sizes and dates
// follow the Russian locale too. The program's own files never take a locale's form: every number
// they hold is written and read in one fixed form (see numbertext).
#include <QApplication>
#include <QTranslator>

#include "platform/font.h"

namespace ui {

class Application {
public:
    // `program` names the program in what it says on standard error when it cannot start: with no
    // graphical screen to show its windows on it says so in Russian and ends with status 1, where
    // Qt would abort.
    Application(const char* program, int& argc, char** argv);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until the program ends.
    int exec() { return QApplication::exec(); }

private:
    struct DisplayCheck {
        DisplayCheck(const char* program, int argc, char** argv);
    };
    DisplayCheck display_;   // first: without a screen nothing else starts
    FontPreparation fonts_;  // next, so that it overlaps with the connection to the display
    QApplication app_;
    QTranslator qtTexts_;
};

}  // namespace ui
