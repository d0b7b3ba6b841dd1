// Thousands of random edits of the live Qt window: typing, deleting,
// pasting long texts and toggling the option. After each edit the edited field
// holds exactly what was typed, and the other field holds the conversion of
// the edited field's first 199 units under the option of that moment.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>
#include <random>
#include <string>

#include "conversion.h"
#include "field_sync.h"
#include "qt_main_window.h"
#include "window_edit_cases.h"

namespace {

using zelquin::qt::MainWindow;

class QtSoakTest : public QObject {
    Q_OBJECT

  private slots:
    void RandomEditsKeepTheFieldsInStep() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::mt19937 rng(20261207);
        QString typed[3];  // what the user has put into fields 1 and 2

        for (int edit = 0; edit < 3000; ++edit) {
            const int field = 1 + static_cast<int>(rng() % 2);
            QLineEdit* edited = field == 1 ? window.PatternField() : window.ValueField();
            QLineEdit* other = field == 1 ? window.ValueField() : window.PatternField();
            const unsigned kind = rng() % 20;
            if (kind == 0) {
                QTest::mouseClick(window.DoubleOption(), Qt::LeftButton, {}, QPoint(8, 11));
                continue;  // nothing converts
            }
            // The program may have rewritten this field since the user last
            // typed in it: the user edits what is shown.
            typed[field] = edited->text();
            edited->setFocus();
            edited->end(false);
            if (kind <= 12) {
                const QChar unit(zelquin::window_cases::RandomSoakUnit(rng, false));
                // A key press that carries the character as its text, as an
                // input method delivers characters that have no key of their own.
                QTest::sendKeyEvent(QTest::Press, edited, Qt::Key_unknown, QString(unit), {});
                QTest::sendKeyEvent(QTest::Release, edited, Qt::Key_unknown, QString(unit), {});
                typed[field] += unit;
            } else if (kind <= 16) {
                if (typed[field].isEmpty()) continue;  // nothing changes, nothing converts
                QTest::keyClick(edited, Qt::Key_Backspace);
                typed[field].chop(1);
            } else {
                // A paste over everything, often longer than 199 units.
                std::u16string text;
                const int length = static_cast<int>(rng() % 400);
                for (int i = 0; i < length; ++i)
                    text += zelquin::window_cases::RandomSoakUnit(rng, true);
                const QString pasted = QString::fromStdU16String(text);
                if (pasted == typed[field]) continue;  // no change, no notification
                QGuiApplication::clipboard()->setText(pasted);
                QTest::keyClick(edited, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(edited, Qt::Key_V, Qt::ControlModifier);
                typed[field] = pasted;
            }
            const bool checked = window.DoubleOption()->isChecked();
            QCOMPARE(edited->text(), typed[field]);
            const std::u16string expected = zelquin::window_cases::ExpectedOtherText(
                field, typed[field].toStdU16String(), checked);
            QCOMPARE(other->text(), QString::fromStdU16String(expected));
        }
    }
};

}  // namespace

QTEST_MAIN(QtSoakTest)
#include "qt_soak_test.moc"
