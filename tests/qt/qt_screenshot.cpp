// Writes a picture of the window's content to a PNG file, after typing a text
// into one of its fields, with the Details panel closed or open and the check
// box clear or set:
//   zelquin_qt_screenshot [--details] [--double] [--pattern TEXT | --value TEXT]
//                         [--least] [--focus-bits] [--other-formats] FILE.png
// Without a field option it types 0x40490fdb into the pattern field. --least
// makes the window as small as it can be, --focus-bits tabs into the bits,
// --other-formats opens Details' "In other formats".
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <cstdio>
#include <cstring>

#include "qt_details_panel.h"
#include "qt_main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool details = false;
    bool treatAsDouble = false;
    bool intoValue = false;
    bool least = false;
    bool focusBits = false;
    bool otherFormats = false;
    QString text = QStringLiteral("0x40490fdb");
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--details") == 0) {
            details = true;
        } else if (std::strcmp(argv[i], "--double") == 0) {
            treatAsDouble = true;
        } else if (std::strcmp(argv[i], "--least") == 0) {
            least = true;
        } else if (std::strcmp(argv[i], "--focus-bits") == 0) {
            focusBits = true;
        } else if (std::strcmp(argv[i], "--other-formats") == 0) {
            otherFormats = true;
        } else if ((std::strcmp(argv[i], "--pattern") == 0 ||
                    std::strcmp(argv[i], "--value") == 0) &&
                   i + 1 < argc) {
            intoValue = argv[i][2] == 'v';
            text = QString::fromLocal8Bit(argv[++i]);
        } else if (file == nullptr && argv[i][0] != '-') {
            file = argv[i];
        } else {
            file = nullptr;
            break;
        }
    }
    if (file == nullptr) {
        std::fprintf(stderr,
                     "usage: zelquin_qt_screenshot [--details] [--double] [--pattern TEXT | "
                     "--value TEXT] [--least] [--focus-bits] [--other-formats] FILE.png\n");
        return 2;
    }
    zelquin::qt::MainWindow window(details);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    window.DoubleOption()->setChecked(treatAsDouble);
    QLineEdit* field = intoValue ? window.ValueField() : window.PatternField();
    field->setFocus();
    QTest::keyClicks(field, text);
    QTest::qWait(50);  // lets the Details panel lay itself out anew
    if (least) window.resize(1, 1);
    if (otherFormats) window.Details()->Tabs()->setCurrentIndex(1);
    if (focusBits) {
        window.DetailsButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window.DetailsButton(), Qt::Key_Tab);
    }
    QTest::qWait(50);
    return window.grab().save(QString::fromLocal8Bit(file), "PNG") ? 0 : 1;
}
