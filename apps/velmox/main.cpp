#include <QApplication>

#include "platform/controls.h"

namespace {
// Stands in for the main window until it is built.
class Placeholder : public ui::Form {
public:
    Placeholder() : ui::Form(QStringLiteral("Vazed")) {
        setCaption(QStringLiteral("Velmox (Программа для печати данных на бланк диплома)"));
        setBackColor(0x00FFFFFF);
        setClientSize(ui::Twips(11880), ui::Twips(8820));
    }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    ui::form<Placeholder>().show();
    return app.exec();
}
