// lumivex: the desktop application.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Lumivex");
    window.resize(550, 440);
    window.show();
    return app.exec();
}
