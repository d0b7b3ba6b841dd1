// zelquin on Linux: the Qt window. The program takes no options of its own;
// QApplication handles Qt's standard ones.
#include <QApplication>

#include "qt_main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Lets a desktop match the window to zelquin.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelquin"));
    return zelquin::qt::RunMainWindow();
}
