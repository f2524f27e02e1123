// The reference for start-up times: an empty Qt Widgets window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(640, 480);
    w.show();
    return app.exec();
}
