// Writes a picture of the window's content, after typing a pattern into it,
// to the PNG file named by the only argument.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QtTest>
#include <cstdio>

#include "qt_main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelquin_qt_screenshot FILE.png\n");
        return 2;
    }
    zelquin::qt::MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    QTest::keyClicks(window.PatternField(), QStringLiteral("0x40490fdb"));
    return window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
