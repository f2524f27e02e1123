#include "platform/application.h"
#include "qr/qr.h"

int main(int argc, char** argv) {
    ui::Application app("QR", argc, argv);
    // The window's first access creates it and runs its start; its close ends the program.
    ui::form<qr::QR>();
    return app.exec();
}
