// The quenmark program. Until the application shell exists it opens an empty
// main window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Quenmark 2003");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
