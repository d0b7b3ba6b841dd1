// The Qt window driven as a person would drive it: keystrokes, the clipboard
// and mouse clicks on the live widgets, on Qt's offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <limits>

#include "field_sync.h"
#include "qt_main_window.h"
#include "window_edit_cases.h"

namespace {

using zelquin::qt::MainWindow;
using zelquin::window_cases::Action;

// Where the four controls sit in the window's content area, whatever its size.
struct Placement {
    const char* control;
    QRect geometry;
};

QWidget* Control(const MainWindow& window, int index) {
    QWidget* controls[] = {window.PatternField(), window.ValueLabel(), window.ValueField(),
                           window.DoubleOption()};
    return controls[index];
}

const Placement kPlacements[] = {
    {"pattern field", QRect(5, 5, 280, 22)},
    {"value label", QRect(5, 35, 50, 22)},
    {"value field", QRect(55, 35, 230, 22)},
    {"double option", QRect(5, 60, 280, 22)},
};

bool ShowAndWait(MainWindow& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

void SelectAll(QLineEdit* field) { QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier); }

void Apply(MainWindow& window, const zelquin::window_cases::Step& step) {
    const QString text = QString::fromStdU16String(step.text);
    switch (step.action) {
        case Action::TypePattern: QTest::keyClicks(window.PatternField(), text); break;
        case Action::TypeValue: QTest::keyClicks(window.ValueField(), text); break;
        case Action::ErasePattern:
        case Action::EraseValue: {
            QLineEdit* field =
                step.action == Action::ErasePattern ? window.PatternField() : window.ValueField();
            SelectAll(field);
            QTest::keyClick(field, Qt::Key_Delete);
            break;
        }
        case Action::PastePattern:
        case Action::PasteValue: {
            QLineEdit* field =
                step.action == Action::PastePattern ? window.PatternField() : window.ValueField();
            QGuiApplication::clipboard()->setText(text);
            SelectAll(field);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            break;
        }
        case Action::ToggleDouble:
            // Near the left edge: the box and its text take only the left part
            // of the control, and a click beside them does nothing.
            QTest::mouseClick(window.DoubleOption(), Qt::LeftButton, {}, QPoint(8, 11));
            break;
    }
}

}  // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

private slots:
    void editsLeaveTheExpectedTexts_data() {
        QTest::addColumn<int>("caseIndex");
        const auto cases = zelquin::window_cases::EditCases();
        for (int i = 0; i < static_cast<int>(cases.size()); ++i) QTest::newRow(cases[i].name) << i;
    }

    void editsLeaveTheExpectedTexts() {
        QFETCH(int, caseIndex);
        const auto editCase = zelquin::window_cases::EditCases()[caseIndex];
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        for (const auto& step : editCase.steps) Apply(window, step);
        QCOMPARE(window.PatternField()->text(), QString::fromStdU16String(editCase.pattern));
        QCOMPARE(window.ValueField()->text(), QString::fromStdU16String(editCase.value));
        QCOMPARE(window.DoubleOption()->isChecked(), editCase.treatAsDouble);
        QCOMPARE(*zelquin::FieldGuard(zelquin::kPatternFieldId), 0);
        QCOMPARE(*zelquin::FieldGuard(zelquin::kValueFieldId), 0);
    }

    void startsEmptyWithItsControlsInPlace() {
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Zelquin"));
        QCOMPARE(window.size(), QSize(294, 95));
        // The four controls and nothing else: no menu, no status bar.
        QCOMPARE(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 4);
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(Control(window, i)->isVisible(), kPlacements[i].control);
            QCOMPARE(Control(window, i)->geometry(), kPlacements[i].geometry);
        }
        QCOMPARE(window.ValueLabel()->text(), QStringLiteral("Float:"));
        QCOMPARE(window.DoubleOption()->text(), QStringLiteral("Treat as 'double'"));
        QVERIFY(!window.DoubleOption()->isChecked());
        for (QLineEdit* field : {window.PatternField(), window.ValueField()}) {
            QCOMPARE(field->text(), QString());
            QCOMPARE(field->maxLength(), std::numeric_limits<int>::max());
            QCOMPARE(field->validator(), nullptr);
        }
    }

    void resizingLeavesTheControlsInPlace_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(640, 400);
        QTest::newRow("smaller than the controls") << QSize(120, 40);
        QTest::newRow("wider only") << QSize(500, 95);
    }

    void resizingLeavesTheControlsInPlace() {
        QFETCH(QSize, size);
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        window.resize(size);
        QTRY_COMPARE(window.size(), size);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Control(window, i)->geometry(), kPlacements[i].geometry);
        }
    }

    void longFieldTextsAreNotCut() {
        // A text far beyond QLineEdit's default limit of 32767 characters
        // stays whole; only its first 199 units are converted.
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        const QString longValue = QString(40000, u'0') + QStringLiteral("1");
        QGuiApplication::clipboard()->setText(longValue);
        QTest::keyClick(window.ValueField(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(window.ValueField()->text(), longValue);
        QCOMPARE(window.PatternField()->text(), QStringLiteral("0"));
    }

    void tabDoesNotMoveTheFocus_data() {
        QTest::addColumn<int>("controlIndex");
        QTest::newRow("from the pattern field") << 0;
        QTest::newRow("from the value field") << 2;
        QTest::newRow("from the double option") << 3;
    }

    void tabDoesNotMoveTheFocus() {
        QFETCH(int, controlIndex);
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* control = Control(window, controlIndex);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, 11));
        QCOMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control);
        QCOMPARE(window.PatternField()->text(), QString());
        QCOMPARE(window.ValueField()->text(), QString());
    }

    // Runs the application's event loop, so it comes last.
    void closingTheWindowEndsTheEventLoopWith0() {
        QTimer closer;
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* window = dynamic_cast<MainWindow*>(widget)) window->close();
            }
        });
        closer.start(50);
        // Should the close not end the loop, this ends it with another status.
        QTimer stopper;
        stopper.setSingleShot(true);
        connect(&stopper, &QTimer::timeout, [] { QCoreApplication::exit(3); });
        stopper.start(10000);
        QCOMPARE(zelquin::qt::RunMainWindow(), 0);
    }
};

QTEST_MAIN(QtWindowTest)
#include "qt_window_test.moc"
