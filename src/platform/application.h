#pragma once
// The application object of both programs and of their tests: before the first window, the
// system's fonts are ready for the design fonts and Qt's own dialogs (file, printer) speak
// Russian, under either language, since Qt has no Kazakh texts.
#include <QApplication>
#include <QTranslator>

#include "platform/font.h"

namespace ui {

class Application {
public:
    Application(int& argc, char** argv);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until the program ends.
    int exec() { return QApplication::exec(); }

private:
    FontPreparation fonts_;  // first, so that it overlaps with the connection to the display
    QApplication app_;
    QTranslator qtTexts_;
};

}  // namespace ui
