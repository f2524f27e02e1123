#include "platform/application.h"
#include "platform/file_waits.h"
#include "qr/qr.h"

int main(int argc, char** argv) {
    ui::Application app("QR", argc, argv);
    // The window's first access creates it and runs its start; its close ends the program. The start
    // waits for files other programs hold as one action does: about five seconds in all.
    {
        const ui::FileWaitScope start;
        ui::form<qr::QR>();
    }
    return app.exec();
}
