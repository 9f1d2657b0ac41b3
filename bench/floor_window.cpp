// The floor for start-up timing: a bare Qt window of the main window's size, shown and closed.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("Form1")); // lets the probe end it the same way
    window.resize(702, 549);
    window.show();
    return app.exec();
}
