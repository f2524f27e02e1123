#include "main_window/vazed.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    ui::Application app("Velmox", argc, argv);
    // Windows come and go (the main window hides while others are open); only its close ends us.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!velmox::Vazed::Form_Initialize()) return 1;
    return app.exec();
}
