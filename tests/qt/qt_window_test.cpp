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

#include "control_table.h"
#include "field_sync.h"
#include "qt_main_window.h"
#include "window_edit_cases.h"

namespace {

using zelquin::qt::MainWindow;
using zelquin::window_cases::Action;

// The window's widget for a control identifier; the label has none (0).
QWidget* ControlWithId(const MainWindow& window, int id) {
    switch (id) {
        case zelquin::kPatternFieldId:
            return window.PatternField();
        case zelquin::kValueFieldId:
            return window.ValueField();
        case zelquin::kDoubleOptionId:
            return window.DoubleOption();
        default:
            return window.ValueLabel();
    }
}

// The table's class and text of a widget as the window made it.
const char16_t* ClassOf(const QWidget* control) {
    if (qobject_cast<const QLineEdit*>(control) != nullptr) return zelquin::kEditClass;
    if (qobject_cast<const QLabel*>(control) != nullptr) return zelquin::kStaticClass;
    if (qobject_cast<const QCheckBox*>(control) != nullptr) return zelquin::kButtonClass;
    return u"";
}

QString TextOf(const QWidget* control) {
    if (const auto* field = qobject_cast<const QLineEdit*>(control)) return field->text();
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) return box->text();
    return {};
}

QRect GeometryOf(const zelquin::WindowRow& row) {
    return QRect(row.x, row.y, row.width, row.height);
}

// The window's controls in the order they were created.
QList<QWidget*> ControlsInCreationOrder(const MainWindow& window) {
    return window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}

bool ShowAndWait(MainWindow& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

void SelectAll(QLineEdit* field) { QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier); }

void Apply(MainWindow& window, const zelquin::window_cases::Step& step) {
    const QString text = QString::fromStdU16String(step.text);
    switch (step.action) {
        case Action::TypePattern:
            QTest::keyClicks(window.PatternField(), text);
            break;
        case Action::TypeValue:
            QTest::keyClicks(window.ValueField(), text);
            break;
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
        QCOMPARE(window.windowTitle(), QString::fromUtf16(zelquin::kMainWindowRow.text));
        QCOMPARE(window.size(), QSize(294, 95));
        // The table's controls in its order and nothing else: no menu, no
        // status bar.
        const QList<QWidget*> controls = ControlsInCreationOrder(window);
        QCOMPARE(controls.size(), static_cast<qsizetype>(zelquin::kControlRows.size()));
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const zelquin::WindowRow& row = zelquin::kControlRows[i];
            const QByteArray name = QString::fromUtf16(row.className).toUtf8();
            QCOMPARE(controls[i], ControlWithId(window, row.id));
            QCOMPARE(QString::fromUtf16(ClassOf(controls[i])), QString::fromUtf16(row.className));
            QCOMPARE(TextOf(controls[i]), QString::fromUtf16(row.text));
            QVERIFY2(controls[i]->isVisible(), name.constData());
            QCOMPARE(controls[i]->geometry(), GeometryOf(row));
        }
        QVERIFY(!window.DoubleOption()->isChecked());
        for (QLineEdit* field : {window.PatternField(), window.ValueField()}) {
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
        const QList<QWidget*> controls = ControlsInCreationOrder(window);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QCOMPARE(controls[i]->geometry(), GeometryOf(zelquin::kControlRows[i]));
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
        QTest::addColumn<int>("controlId");
        QTest::newRow("from the pattern field") << zelquin::kPatternFieldId;
        QTest::newRow("from the value field") << zelquin::kValueFieldId;
        QTest::newRow("from the double option") << zelquin::kDoubleOptionId;
    }

    void tabDoesNotMoveTheFocus() {
        QFETCH(int, controlId);
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* control = ControlWithId(window, controlId);
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
