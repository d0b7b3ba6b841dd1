// The Qt window driven as a person would drive it: keystrokes, the clipboard
// and mouse clicks on the live widgets, on Qt's offscreen platform. The
// program itself is started for its options and for the case of no display.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "control_table.h"
#include "field_sync.h"
#include "qt_details_panel.h"
#include "qt_icon_shapes.h"
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

bool ShowAndActivate(MainWindow& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The user puts the cursor behind the field's text, then types.
void TypeAtTheEnd(QLineEdit* field, const QString& text) {
    field->end(false);
    QTest::keyClicks(field, text);
}

void SelectAll(QLineEdit* field) { QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier); }

// Near the left edge: the box and its text take only the left part of the
// control, and a click beside them does nothing.
void ClickDoubleOption(MainWindow& window) {
    QTest::mouseClick(window.DoubleOption(), Qt::LeftButton, {}, QPoint(8, 11));
}

void Apply(MainWindow& window, const zelquin::window_cases::Step& step) {
    const QString text = QString::fromStdU16String(step.text);
    switch (step.action) {
        case Action::TypePattern:
            TypeAtTheEnd(window.PatternField(), text);
            break;
        case Action::TypeValue:
            TypeAtTheEnd(window.ValueField(), text);
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
            ClickDoubleOption(window);
            break;
    }
}

// --- The window as a person uses it: one table of scripts ---------------------------

// What a step of a script does: an action, or a check of the window's state.
enum class Do {
    TypePattern,      // type `text` into the pattern field
    TypeValue,        // type `text` into the value field
    ClickDouble,      // click the check box
    ClickDetails,     // click the Details disclosure
    Focus,            // click into the control `text` names
    Key,              // press `key` with `modifiers` in the focused control
    ClickBit,         // click bit `number` in the Details panel
    ClickNextUp,      // click "Next up"
    ClickNextDown,    // click "Next down"
    Run,              // run the zelquin program with the arguments `text`
    ExpectPattern,    // the pattern field holds `text`
    ExpectValue,      // the value field holds `text`
    ExpectStart,      // the field `text` shows its text from the first character
    ExpectFocus,      // the control `text` has the focus
    ExpectChecked,    // the check box is set when `number` is 1
    ExpectOpen,       // the window is shown when `number` is 1
    ExpectDetails,    // the Details panel is open when `number` is 1, and remembered so
    ExpectBits,       // the panel shows these bits, the most significant first
    ExpectFlippable,  // bit `number` can be flipped when `text` is "yes"
    ExpectEnabled,    // the control `text` is enabled when `number` is 1
    ExpectLine,       // the explanation has the line `text`
    ExpectNote,       // the notes say `text`
    ExpectOutput,     // the program ran with status `number` and printed what begins with `text`
};

struct Step {
    Do action;
    QString text;
    int number = 0;
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

Step Act(Do action, const QString& text = {}, int number = 0) { return {action, text, number}; }
Step Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return {Do::Key, {}, 0, key, modifiers};
}

struct Script {
    const char* name;
    std::vector<Step> steps;
};

QString Repeat(QChar unit, int count) { return QString(count, unit); }

std::vector<Script> Scripts() {
    const QString maxFloatValue = QStringLiteral("340282346638528860000000000000000000000.000000");
    const QString help = QStringLiteral("usage: zelquin [QT-OPTION...]\n");
    return {
        // The program's texts start with what matters: the field shows it.
        {"the Float field shows the start of the largest binary32",
         {Act(Do::TypePattern, "0x7f7fffff"), Act(Do::ExpectValue, maxFloatValue),
          Act(Do::ExpectStart, "value")}},
        {"the Float field shows the start of the lowest binary64",
         {Act(Do::TypePattern, "0xffefffffffffffff"), Act(Do::ExpectStart, "value")}},
        {"the pattern field shows its start after a long number",
         {Act(Do::TypeValue, "-" + Repeat(u'9', 60)), Act(Do::ExpectPattern, "0xff800000"),
          Act(Do::ExpectStart, "pattern")}},

        // Keyboard: Tab and Shift+Tab, Space, Ctrl+Q and Ctrl+W.
        {"Tab goes round the fields, the check box and Details",
         {Act(Do::Focus, "pattern"), Press(Qt::Key_Tab), Act(Do::ExpectFocus, "value"),
          Press(Qt::Key_Tab), Act(Do::ExpectFocus, "double"), Press(Qt::Key_Tab),
          Act(Do::ExpectFocus, "details"), Press(Qt::Key_Tab), Act(Do::ExpectFocus, "pattern")}},
        {"Shift+Tab goes round the other way",
         {Act(Do::Focus, "pattern"), Press(Qt::Key_Backtab, Qt::ShiftModifier),
          Act(Do::ExpectFocus, "details"), Press(Qt::Key_Backtab, Qt::ShiftModifier),
          Act(Do::ExpectFocus, "double"), Press(Qt::Key_Backtab, Qt::ShiftModifier),
          Act(Do::ExpectFocus, "value"), Press(Qt::Key_Backtab, Qt::ShiftModifier),
          Act(Do::ExpectFocus, "pattern")}},
        {"Tab goes through the open Details panel",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "1"), Act(Do::Focus, "details"),
          Press(Qt::Key_Tab), Act(Do::ExpectFocus, "bits"), Press(Qt::Key_Tab),
          Act(Do::ExpectFocus, "next down"), Press(Qt::Key_Tab), Act(Do::ExpectFocus, "next up"),
          Press(Qt::Key_Tab), Act(Do::ExpectFocus, "tabs"), Press(Qt::Key_Tab),
          Act(Do::ExpectFocus, "lines"), Press(Qt::Key_Tab), Act(Do::ExpectFocus, "pattern")}},
        {"Space toggles the check box, which converts nothing",
         {Act(Do::TypeValue, "1"), Act(Do::Focus, "pattern"), Press(Qt::Key_Tab),
          Press(Qt::Key_Tab), Press(Qt::Key_Space), Act(Do::ExpectChecked, {}, 1),
          Act(Do::ExpectPattern, "0x3f800000"), Press(Qt::Key_Space),
          Act(Do::ExpectChecked, {}, 0)}},
        {"Space on Details opens it",
         {Act(Do::Focus, "details"), Press(Qt::Key_Space), Act(Do::ExpectDetails, {}, 1)}},
        {"Ctrl+Q closes the window",
         {Act(Do::Focus, "value"), Press(Qt::Key_Q, Qt::ControlModifier),
          Act(Do::ExpectOpen, {}, 0)}},
        {"Ctrl+W closes the window",
         {Act(Do::Focus, "pattern"), Press(Qt::Key_W, Qt::ControlModifier),
          Act(Do::ExpectOpen, {}, 0)}},
        {"Ctrl+A still selects in a field",
         {Act(Do::TypePattern, "0x1"), Act(Do::Focus, "pattern"),
          Press(Qt::Key_A, Qt::ControlModifier), Press(Qt::Key_Delete), Act(Do::ExpectPattern, ""),
          Act(Do::ExpectOpen, {}, 1)}},

        // The Details panel: its bits, lines and buttons.
        {"Details opens on the last conversion and is remembered",
         {Act(Do::TypePattern, "0x3f800000"), Act(Do::ClickDetails), Act(Do::ExpectDetails, {}, 1),
          Act(Do::ExpectBits, "00111111100000000000000000000000"),
          Act(Do::ExpectLine, "class       normal"), Act(Do::ExpectLine, "exact       1"),
          Act(Do::ClickDetails), Act(Do::ExpectDetails, {}, 0)}},
        {"Details shows nothing before the first conversion",
         {Act(Do::ClickDetails), Act(Do::ExpectBits, ""), Act(Do::ExpectEnabled, "next up", 0),
          Act(Do::ExpectEnabled, "next down", 0)}},
        {"clicking the sign bit negates the number",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"), Act(Do::ClickBit, {}, 31),
          Act(Do::ExpectPattern, "0xbf800000"), Act(Do::ExpectValue, "-1.000000"),
          Act(Do::ExpectBits, "10111111100000000000000000000000")}},
        {"a flipped bit of a typed number converts from the pattern field",
         {Act(Do::ClickDetails), Act(Do::TypeValue, "0.1"), Act(Do::ExpectLine, "typed       0.1"),
          Act(Do::ClickBit, {}, 0), Act(Do::ExpectPattern, "0x3dcccccc"),
          Act(Do::ExpectValue, "0.100000"), Act(Do::ExpectStart, "value"),
          Act(Do::ExpectLine, "integer     0x3dcccccc")}},
        {"Ctrl+Z in the pattern field brings back the pattern before a click",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"), Act(Do::ClickBit, {}, 30),
          Act(Do::ExpectPattern, "0x7f800000"), Act(Do::ExpectValue, "1.#INF00"),
          Act(Do::Focus, "pattern"), Press(Qt::Key_Z, Qt::ControlModifier),
          Act(Do::ExpectPattern, "0x3f800000"), Act(Do::ExpectValue, "1.000000")}},
        {"a binary64 shows 64 bits, and its bits flip",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3ff0000000000000"),
          Act(Do::ExpectBits, "0011111111110000" + Repeat(u'0', 48)), Act(Do::ClickBit, {}, 63),
          Act(Do::ExpectPattern, "0xbff0000000000000"), Act(Do::ExpectValue, "-1.000000"),
          Act(Do::ClickBit, {}, 0), Act(Do::ExpectPattern, "0xbff0000000000001")}},
        {"a binary64 that would be read as a binary32 is not entered",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x100000000"),
          Act(Do::ExpectFlippable, "no", 32), Act(Do::ClickBit, {}, 32),
          Act(Do::ExpectPattern, "0x100000000"), Act(Do::ExpectFlippable, "yes", 0)}},
        {"with the check box set an upper bit goes through the pattern field",
         {Act(Do::ClickDetails), Act(Do::ClickDouble), Act(Do::TypePattern, "0x3ff00000"),
          Act(Do::ExpectBits, "0011111111110000" + Repeat(u'0', 48)), Act(Do::ClickBit, {}, 63),
          Act(Do::ExpectPattern, "0xbff00000"), Act(Do::ExpectValue, "-1.000000")}},
        {"with the check box set a lower bit goes through the Float field",
         {Act(Do::ClickDetails), Act(Do::ClickDouble), Act(Do::TypePattern, "0x3ff00000"),
          Act(Do::ExpectFlippable, "yes", 0), Act(Do::ClickBit, {}, 0),
          Act(Do::ExpectValue, "1.0000000000000002"), Act(Do::ExpectPattern, "0x3ff0000000000001"),
          Act(Do::ExpectBits, "0011111111110000" + Repeat(u'0', 47) + "1"),
          Act(Do::ExpectLine, "typed       1.0000000000000002")}},
        {"with the check box set a lower bit that makes a NaN is not entered",
         {Act(Do::ClickDetails), Act(Do::ClickDouble), Act(Do::TypePattern, "0x7ff00000"),
          Act(Do::ExpectFlippable, "no", 0), Act(Do::ClickBit, {}, 0),
          Act(Do::ExpectPattern, "0x7ff00000"), Act(Do::ExpectFlippable, "yes", 63)}},
        {"with the check box set a pattern's upper 32 bits are dropped, and the panel says so",
         {Act(Do::ClickDetails), Act(Do::ClickDouble), Act(Do::TypePattern, "0x3fb999999999999a"),
          Act(Do::ExpectValue, "-0.000000"),
          Act(Do::ExpectNote, "its upper 32 bits, 0x3fb99999, are dropped")}},
        {"a binary32's bits after the box is set say why they cannot be entered",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"), Act(Do::ClickDouble),
          Act(Do::ExpectFlippable, "no", 31),
          Act(Do::ExpectNote, "both fields give a binary64: clear it to reach a binary32")}},
        {"toggling the check box changes which bits can be entered, and converts nothing",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"),
          Act(Do::ExpectFlippable, "yes", 0), Act(Do::ClickDouble),
          Act(Do::ExpectFlippable, "no", 0), Act(Do::ExpectValue, "1.000000"), Act(Do::ClickDouble),
          Act(Do::ClickBit, {}, 0), Act(Do::ExpectPattern, "0x3f800001")}},
        {"the keyboard flips the bit the arrows choose",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"), Act(Do::Focus, "bits"),
          Press(Qt::Key_Home), Press(Qt::Key_Space), Act(Do::ExpectPattern, "0xbf800000"),
          Act(Do::Focus, "bits"), Press(Qt::Key_End), Press(Qt::Key_Left), Press(Qt::Key_Return),
          Act(Do::ExpectPattern, "0xbf800002")}},

        {"Next up and Next down step to the neighbours",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3f800000"), Act(Do::ClickNextUp),
          Act(Do::ExpectPattern, "0x3f800001"), Act(Do::ExpectValue, "1.000000"),
          Act(Do::ClickNextDown), Act(Do::ClickNextDown), Act(Do::ExpectPattern, "0x3f7fffff"),
          Act(Do::ExpectLine, "next up     0x3f800000")}},
        {"the neighbours of zero are the smallest subnormals",
         {Act(Do::ClickDetails), Act(Do::TypeValue, "0"), Act(Do::ClickNextDown),
          Act(Do::ExpectPattern, "0x80000001"), Act(Do::ExpectValue, "-0.000000"),
          Act(Do::ClickNextUp), Act(Do::ClickNextUp), Act(Do::ExpectPattern, "0x00000001")}},
        {"Next up ends at infinity",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x7f7fffff"), Act(Do::ClickNextUp),
          Act(Do::ExpectValue, "1.#INF00"), Act(Do::ExpectEnabled, "next up", 0),
          Act(Do::ExpectEnabled, "next down", 1)}},
        {"a NaN has no neighbours",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0xffc00000"),
          Act(Do::ExpectEnabled, "next up", 0), Act(Do::ExpectEnabled, "next down", 0)}},
        {"a binary64 steps through all its 64 bits",
         {Act(Do::ClickDetails), Act(Do::TypePattern, "0x3ff0000000000000"), Act(Do::ClickNextDown),
          Act(Do::ExpectPattern, "0x3fefffffffffffff"), Act(Do::ExpectValue, "1.000000")}},
        {"with the check box set a neighbour goes through the Float field",
         {Act(Do::ClickDetails), Act(Do::ClickDouble), Act(Do::TypePattern, "0x3ff00000"),
          Act(Do::ClickNextDown), Act(Do::ExpectValue, "0.9999999999999999"),
          Act(Do::ExpectPattern, "0x3fefffffffffffff"), Act(Do::ClickNextUp),
          Act(Do::ExpectPattern, "0x3ff00000"), Act(Do::ExpectValue, "1.000000")}},

        // The program's own options.
        {"--help prints the usage and exits 0",
         {Act(Do::Run, "--help"), Act(Do::ExpectOutput, help, 0)}},
        {"-h among Qt's options prints the usage",
         {Act(Do::Run, "-platform offscreen -h"), Act(Do::ExpectOutput, help, 0)}},
        {"--version prints the version and exits 0",
         {Act(Do::Run, "--version"),
          Act(Do::ExpectOutput, QStringLiteral("zelquin " ZELQUIN_VERSION "\n"), 0)}},
    };
}

QWidget* NamedControl(const MainWindow& window, const QString& name) {
    if (name == u"pattern") return window.PatternField();
    if (name == u"value") return window.ValueField();
    if (name == u"double") return window.DoubleOption();
    if (name == u"details") return window.DetailsButton();
    if (name == u"bits") return window.Details()->Bits();
    if (name == u"next up") return window.Details()->NextUpButton();
    if (name == u"next down") return window.Details()->NextDownButton();
    if (name == u"lines") return window.Details()->Lines();
    if (name == u"tabs") return window.Details()->Tabs()->tabBar();
    return nullptr;
}

QString NameOf(const MainWindow& window, const QWidget* control) {
    for (const char* name : {"pattern", "value", "double", "details", "bits", "next up",
                             "next down", "tabs", "lines"}) {
        if (NamedControl(window, QString::fromLatin1(name)) == control)
            return QString::fromLatin1(name);
    }
    return control == nullptr ? QStringLiteral("nothing") : control->metaObject()->className();
}

QString ShownBits(const zelquin::qt::BitStrip* strip) {
    QString bits;
    for (int bit = strip->BitCount() - 1; bit >= 0; --bit)
        bits += strip->BitValue(bit) ? u'1' : u'0';
    return bits;
}

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the zelquin program with the arguments and the environment given, the
// variables named in `unset` removed from it.
ProgramRun RunProgram(const QStringList& arguments, const QStringList& unset = {},
                      const QStringList& set = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unset) environment.remove(name);
    for (const QString& assignment : set)
        environment.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZELQUIN_PROGRAM), arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Runs one step of a script; a failed check fails the test.
void Perform(MainWindow& window, const Step& step, ProgramRun& lastRun) {
    zelquin::qt::DetailsPanel* details = window.Details();
    switch (step.action) {
        case Do::TypePattern:
            TypeAtTheEnd(window.PatternField(), step.text);
            break;
        case Do::TypeValue:
            TypeAtTheEnd(window.ValueField(), step.text);
            break;
        case Do::ClickDouble:
            ClickDoubleOption(window);
            break;
        case Do::ClickDetails:
            QTest::mouseClick(window.DetailsButton(), Qt::LeftButton);
            QTest::qWait(20);  // the panel lays itself out
            break;
        case Do::Focus: {
            QWidget* control = NamedControl(window, step.text);
            control->setFocus(Qt::MouseFocusReason);
            QCOMPARE(NameOf(window, QApplication::focusWidget()), step.text);
            break;
        }
        case Do::Key:
            QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
            break;
        case Do::ClickBit: {
            const QRect cell = details->Bits()->CellRect(step.number);
            QVERIFY2(cell.isValid(), "no such bit");
            QTest::mouseClick(details->Bits(), Qt::LeftButton, {}, cell.center());
            break;
        }
        case Do::ClickNextUp:
            QTest::mouseClick(details->NextUpButton(), Qt::LeftButton);
            break;
        case Do::ClickNextDown:
            QTest::mouseClick(details->NextDownButton(), Qt::LeftButton);
            break;
        case Do::Run:
            lastRun = RunProgram(step.text.split(u' '));
            break;
        case Do::ExpectPattern:
            QCOMPARE(window.PatternField()->text(), step.text);
            break;
        case Do::ExpectValue:
            QCOMPARE(window.ValueField()->text(), step.text);
            break;
        case Do::ExpectStart: {
            const QLineEdit* field =
                step.text == u"pattern" ? window.PatternField() : window.ValueField();
            QCOMPARE(field->cursorPosition(), 0);
            // The cursor, at the start of the text, is at the field's left edge.
            QVERIFY(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() < 8);
            break;
        }
        case Do::ExpectFocus:
            QCOMPARE(NameOf(window, QApplication::focusWidget()), step.text);
            break;
        case Do::ExpectChecked:
            QCOMPARE(window.DoubleOption()->isChecked(), step.number == 1);
            break;
        case Do::ExpectOpen:
            QCOMPARE(window.isVisible(), step.number == 1);
            break;
        case Do::ExpectDetails:
            QCOMPARE(window.DetailsOpen(), step.number == 1);
            QCOMPARE(details->isVisible(), step.number == 1);
            QCOMPARE(zelquin::qt::DetailsOpenSetting(), step.number == 1);
            break;
        case Do::ExpectBits:
            QCOMPARE(ShownBits(details->Bits()), step.text);
            break;
        case Do::ExpectFlippable:
            QCOMPARE(details->Bits()->Flippable(step.number), step.text == u"yes");
            break;
        case Do::ExpectEnabled:
            QCOMPARE(NamedControl(window, step.text)->isEnabled(), step.number == 1);
            break;
        case Do::ExpectLine: {
            // The grid's label padded to twelve, then its text, as --explain
            // prints the line.
            QStringList lines;
            for (const auto& [label, text] : details->ShownLines())
                lines << label.leftJustified(12) + text;
            QVERIFY2(lines.contains(step.text), qPrintable(lines.join(u'\n')));
            break;
        }
        case Do::ExpectNote:
            QVERIFY2(details->Notes()->isVisible() && details->Notes()->text().contains(step.text),
                     qPrintable(details->Notes()->text()));
            break;
        case Do::ExpectOutput:
            QCOMPARE(lastRun.status, step.number);
            QCOMPARE(QString::fromUtf8(lastRun.out.left(step.text.toUtf8().size())), step.text);
            QCOMPARE(lastRun.err, QByteArray());
            break;
    }
}

}  // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { zelquin::qt::SaveDetailsOpenSetting(false); }
    void cleanup() { zelquin::qt::SaveDetailsOpenSetting(false); }

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

    void scripts_data() {
        QTest::addColumn<int>("scriptIndex");
        const auto scripts = Scripts();
        for (int i = 0; i < static_cast<int>(scripts.size()); ++i)
            QTest::newRow(scripts[i].name) << i;
    }

    void scripts() {
        QFETCH(int, scriptIndex);
        const Script script = Scripts()[scriptIndex];
        MainWindow window;
        QVERIFY(ShowAndActivate(window));
        ProgramRun lastRun;
        for (std::size_t i = 0; i < script.steps.size(); ++i) {
            Perform(window, script.steps[i], lastRun);
            if (QTest::currentTestFailed()) {
                qWarning("at step %zu of the script", i + 1);
                return;
            }
        }
    }

    void startsWithItsControlsInPlaceAndDetailsClosed() {
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        QCOMPARE(window.windowTitle(), QString::fromUtf16(zelquin::kMainWindowRow.text));
        QCOMPARE(window.size(), QSize(294, 95));
        QCOMPARE(window.minimumSize(), QSize(294, 95));
        // The table's controls in its order, then the disclosure and its
        // panel: no menu, no status bar.
        const QList<QWidget*> controls = ControlsInCreationOrder(window);
        const auto rows = static_cast<qsizetype>(zelquin::kControlRows.size());
        QCOMPARE(controls.size(), rows + 2);
        for (qsizetype i = 0; i < rows; ++i) {
            const zelquin::WindowRow& row = zelquin::kControlRows[i];
            const QByteArray name = QString::fromUtf16(row.className).toUtf8();
            QCOMPARE(controls[i], ControlWithId(window, row.id));
            QCOMPARE(QString::fromUtf16(ClassOf(controls[i])), QString::fromUtf16(row.className));
            QCOMPARE(TextOf(controls[i]), QString::fromUtf16(row.text));
            QVERIFY2(controls[i]->isVisible(), name.constData());
            QCOMPARE(controls[i]->geometry(), GeometryOf(row));
        }
        QCOMPARE(controls[rows], window.DetailsButton());
        QCOMPARE(window.DetailsButton()->text(), QStringLiteral("Details"));
        QVERIFY(window.DetailsButton()->isVisible());
        // Below the check box, within the window.
        QVERIFY(window.DetailsButton()->geometry().top() >= 78);
        QVERIFY(window.rect().contains(window.DetailsButton()->geometry()));
        QCOMPARE(controls[rows + 1], static_cast<QWidget*>(window.Details()));
        QVERIFY(!window.Details()->isVisible());
        QVERIFY(!window.DoubleOption()->isChecked());
        for (QLineEdit* field : {window.PatternField(), window.ValueField()}) {
            QCOMPARE(field->maxLength(), std::numeric_limits<int>::max());
            QCOMPARE(field->validator(), nullptr);
        }
    }

    void startsWithDetailsAsRemembered() {
        zelquin::qt::SaveDetailsOpenSetting(true);
        QVERIFY(zelquin::qt::DetailsOpenSetting());
        MainWindow window(zelquin::qt::DetailsOpenSetting());
        QVERIFY(ShowAndWait(window));
        QVERIFY(window.Details()->isVisible());
        // Every control of the open window lies within it, the fields where
        // the table puts them.
        QVERIFY(window.width() > 294 && window.height() > 95);
        QVERIFY(window.rect().contains(window.Details()->geometry()));
        QCOMPARE(window.PatternField()->geometry(), GeometryOf(zelquin::kControlRows[0]));
        // Closing brings the first size back.
        QTest::mouseClick(window.DetailsButton(), Qt::LeftButton);
        QTRY_COMPARE(window.size(), QSize(294, 95));
        QVERIFY(!zelquin::qt::DetailsOpenSetting());
    }

    void theWindowHasTheIcon() {
        MainWindow window;
        const QIcon icon = window.windowIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(QSize(128, 128)).toImage();
        QCOMPARE(image.size(), QSize(128, 128));
        // The tile's colour, and the corners left clear.
        QCOMPARE(image.pixelColor(10, 64).name(), QStringLiteral("#24364f"));
        QCOMPARE(image.pixelColor(25, 40).name(), QStringLiteral("#e0534a"));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    }

    void theIconsShapesAreTheSvgFiles() {
        QFile file(QStringLiteral(ZELQUIN_SOURCE_DIR "/packaging/zelquin.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader svg(&file);
        QStringList groupFills;
        QStringList found;
        QString path;
        while (!svg.atEnd()) {
            svg.readNext();
            if (svg.isEndElement() && svg.name() == u"g") groupFills.removeLast();
            if (!svg.isStartElement()) continue;
            const QXmlStreamAttributes a = svg.attributes();
            const auto number = [&a](const char* name) {
                return a.value(QLatin1String(name)).toDouble();
            };
            const QString fill = a.hasAttribute(QLatin1String("fill"))
                                     ? a.value(QLatin1String("fill")).toString()
                                     : groupFills.value(groupFills.size() - 1);
            if (svg.name() == u"g") groupFills << fill;
            if (svg.name() == u"rect") {
                const double opacity =
                    a.hasAttribute(QLatin1String("opacity")) ? number("opacity") : 1;
                found << QStringLiteral("rect %1 %2 %3 %4 %5 %6 %7")
                             .arg(number("x"))
                             .arg(number("y"))
                             .arg(number("width"))
                             .arg(number("height"))
                             .arg(number("rx"))
                             .arg(fill)
                             .arg(opacity);
            } else if (svg.name() == u"circle") {
                found << QStringLiteral("circle %1 %2 %3 %4")
                             .arg(number("cx"))
                             .arg(number("cy"))
                             .arg(number("r"))
                             .arg(fill);
            } else if (svg.name() == u"path") {
                path = a.value(QLatin1String("d")).toString() + u' ' +
                       a.value(QLatin1String("stroke")).toString() + u' ' +
                       a.value(QLatin1String("stroke-width")).toString();
            }
        }
        QVERIFY(!svg.hasError());
        QStringList drawn;
        for (const auto& r : zelquin::qt::kIconRects) {
            drawn << QStringLiteral("rect %1 %2 %3 %4 %5 %6 %7")
                         .arg(r.x)
                         .arg(r.y)
                         .arg(r.width)
                         .arg(r.height)
                         .arg(r.radius)
                         .arg(QLatin1String(r.fill))
                         .arg(r.opacity);
        }
        for (const auto& c : zelquin::qt::kIconCircles) {
            drawn << QStringLiteral("circle %1 %2 %3 %4")
                         .arg(c.cx)
                         .arg(c.cy)
                         .arg(c.r)
                         .arg(QLatin1String(c.fill));
        }
        // The drawing order puts the circle last; it overlaps only the panel
        // drawn before it in either order.
        found.sort();
        drawn.sort();
        QCOMPARE(drawn, found);
        // The arrow: the path's moves and relative lines, written as the SVG
        // writes them, a space before a number unless it starts with '-'.
        QString strokes;
        const auto put = [&strokes](double number, bool afterCommand) {
            if (!afterCommand && number >= 0) strokes += u' ';
            strokes += QString::number(number);
        };
        for (const auto& stroke : zelquin::qt::kIconArrow) {
            strokes += u'M';
            put(stroke.points[0].x, true);
            put(stroke.points[0].y, false);
            for (int i = 1; i < stroke.count; ++i) {
                const double dx = stroke.points[i].x - stroke.points[i - 1].x;
                const double dy = stroke.points[i].y - stroke.points[i - 1].y;
                if (dx == 0) {
                    strokes += u'v';
                    put(dy, true);
                    continue;
                }
                if (i == 1) strokes += u'l';
                put(dx, i == 1);
                put(dy, false);
            }
        }
        QCOMPARE(path, strokes + u' ' + QLatin1String(zelquin::qt::kIconArrowColour) + u' ' +
                           QString::number(zelquin::qt::kIconArrowWidth));
    }

    // The panel draws the explanation library's record: the same lines, in
    // the same order, as zelquin-convert --explain prints.
    void thePanelShowsTheRecordsLines_data() {
        QTest::addColumn<bool>("value");
        QTest::addColumn<bool>("treatAsDouble");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.1") << true << false << QStringLiteral("0.1");
        QTest::newRow("0.1 as a binary64") << true << true << QStringLiteral("0.1");
        QTest::newRow("an exact half") << true << true << QStringLiteral("9007199254740995");
        QTest::newRow("a signalling NaN") << false << false << QStringLiteral("0x7f800001");
        QTest::newRow("a dropped upper half")
            << false << true << QStringLiteral("0x3fb999999999999a");
        QTest::newRow("the smallest binary64") << false << false << QStringLiteral("0x1 z");
    }

    void thePanelShowsTheRecordsLines() {
        QFETCH(bool, value);
        QFETCH(bool, treatAsDouble);
        QFETCH(QString, text);
        MainWindow window(true);
        QVERIFY(ShowAndWait(window));
        if (treatAsDouble) ClickDoubleOption(window);
        TypeAtTheEnd(value ? window.ValueField() : window.PatternField(), text);
        const std::u16string units = text.toStdU16String();
        const auto e = zelquin::explain::Explain(
            value ? zelquin::explain::Command::Value : zelquin::explain::Command::Pattern, units,
            units.size(), zelquin::CheckBoxOption(treatAsDouble));
        std::vector<std::pair<QString, QString>> want;
        for (std::size_t i = 0; i < e.lines.size(); ++i) {
            const std::string_view line = e.lines.texts[i];
            want.emplace_back(QString::fromLatin1(e.lines.labels[i].data(),
                                                  static_cast<qsizetype>(e.lines.labels[i].size())),
                              QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        }
        QCOMPARE(window.Details()->ShownLines(), want);
    }

    // The bit numbers and the legend's words keep a contrast of 4.5:1 or more
    // with the window in the light and the dark scheme, and so do the bits'
    // digits on each role's fill.
    void theBitsColoursKeepTheirContrast() {
        const auto luminance = [](std::uint32_t rgb) {
            double sum = 0;
            const double weights[] = {0.2126, 0.7152, 0.0722};
            for (int i = 0; i < 3; ++i) {
                const double c = ((rgb >> (16 - 8 * i)) & 0xFF) / 255.0;
                sum += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
            }
            return sum;
        };
        const auto ratio = [&](std::uint32_t a, std::uint32_t b) {
            const double x = luminance(a), y = luminance(b);
            return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
        };
        const std::uint32_t lightWindow =
            MainWindow().palette().color(QPalette::Window).rgb() & 0xFFFFFF;
        constexpr std::uint32_t kDarkWindow = 0x353535;
        QVERIFY(ratio(zelquin::explain::kLightMutedText, lightWindow) >= 4.5);
        QVERIFY(ratio(zelquin::explain::kDarkMutedText, kDarkWindow) >= 4.5);
        for (const auto& role : zelquin::explain::kBitRoles) {
            QVERIFY(ratio(role.lightFill, 0x1d1d1f) >= 4.5);
            QVERIFY(ratio(role.darkFill, 0xececea) >= 4.5);
            QVERIFY(ratio(role.lightEdge, lightWindow) >= 3);
            QVERIFY(ratio(role.darkEdge, kDarkWindow) >= 3);
        }
    }

    // "In other formats" shows the number just converted in every format of
    // the registry, and one format's whole explanation, as the library gives
    // them.
    void inOtherFormatsShowsTheNumberInEveryFormat() {
        MainWindow window(true);
        QVERIFY(ShowAndWait(window));
        TypeAtTheEnd(window.ValueField(), QStringLiteral("465"));
        zelquin::qt::DetailsPanel* details = window.Details();
        details->Tabs()->setCurrentIndex(1);
        QTableWidget* table = details->FormatTable();
        QCOMPARE(static_cast<std::size_t>(table->rowCount()),
                 zelquin::explain::RegisteredFormats().size());
        const auto rowOf = [table](const QString& name) {
            for (int row = 0; row < table->rowCount(); ++row)
                if (table->item(row, 0)->text() == name) return row;
            return -1;
        };
        const int e4m3fn = rowOf(QStringLiteral("float8_e4m3fn"));
        QVERIFY(e4m3fn >= 0);
        QCOMPARE(table->item(e4m3fn, 1)->text(), QStringLiteral("0x7f"));
        QCOMPARE(table->item(rowOf(QStringLiteral("binary16")), 1)->text(),
                 QStringLiteral("0x5f44"));
        details->FormatChooser()->setCurrentIndex(e4m3fn);
        const auto lines = details->ShownFormatLines();
        QVERIFY(std::find(lines.begin(), lines.end(),
                          std::pair(QStringLiteral("class"), QStringLiteral("NaN"))) !=
                lines.end());
        // A pattern's number is the number it stores.
        SelectAll(window.PatternField());
        QTest::keyClicks(window.PatternField(), QStringLiteral("0x3f800000"));
        QCOMPARE(table->item(rowOf(QStringLiteral("bfloat16")), 1)->text(),
                 QStringLiteral("0x3f80"));
    }

    // Closing and opening Details four times leaves the window as it was:
    // it reopens at the size it had, and never below what shows every bit.
    void detailsReopensAtTheSizeItHad() {
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        TypeAtTheEnd(window.PatternField(), QStringLiteral("0x3ff0000000000000"));
        QTest::mouseClick(window.DetailsButton(), Qt::LeftButton);
        QTRY_VERIFY(window.Details()->isVisible());
        const QSize open = window.size();
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(window.DetailsButton(), Qt::LeftButton);
            QTRY_COMPARE(window.size(), QSize(294, 95));
            QTest::mouseClick(window.DetailsButton(), Qt::LeftButton);
            QTRY_COMPARE(window.size(), open);
        }
        // At its least size, the open window still shows the bits' second row
        // above the buttons, also when a binary64 follows a binary32.
        window.resize(100, 100);
        QTRY_COMPARE(window.size(), window.minimumSize());
        SelectAll(window.PatternField());
        QTest::keyClicks(window.PatternField(), QStringLiteral("1"));
        SelectAll(window.PatternField());
        QTest::keyClicks(window.PatternField(), QStringLiteral("0x4000000000000000"));
        QTest::qWait(20);
        const zelquin::qt::BitStrip* bits = window.Details()->Bits();
        const QRect lowRow = bits->CellRect(0).translated(bits->mapTo(&window, QPoint(0, 0)));
        const QRect buttons = window.Details()->NextDownButton()->geometry().translated(
            window.Details()->mapTo(&window, QPoint(0, 0)));
        QVERIFY2(lowRow.bottom() < buttons.top(), "the low row of bits is under the buttons");
        QVERIFY(window.rect().contains(lowRow));
    }

    // Tab into the bits puts the keyboard on the sign bit, drawn apart from
    // the others; the explanation box shows its focus too.
    void theFocusIsSeen() {
        MainWindow window(true);
        QVERIFY(ShowAndActivate(window));
        TypeAtTheEnd(window.PatternField(), QStringLiteral("0x3f800000"));
        zelquin::qt::BitStrip* bits = window.Details()->Bits();
        const QPoint sign = bits->CellRect(31).center() + QPoint(3, 0);
        const QColor unfocused = bits->grab().toImage().pixelColor(sign);
        window.DetailsButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window.DetailsButton(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bits));
        QCOMPARE(bits->CurrentBit(), 31);
        QVERIFY(bits->grab().toImage().pixelColor(sign) != unfocused);
        // Every other control the keyboard reaches looks otherwise in focus.
        for (const char* name :
             {"pattern", "value", "double", "details", "next up", "next down", "tabs", "lines"}) {
            QWidget* control = NamedControl(window, QString::fromLatin1(name));
            window.DetailsButton()->setFocus(Qt::TabFocusReason);
            if (control == window.DetailsButton())
                window.PatternField()->setFocus(Qt::TabFocusReason);
            const QImage before = control->grab().toImage();
            control->setFocus(Qt::TabFocusReason);
            QVERIFY2(control->grab().toImage() != before, name);
        }
    }

    void resizingLeavesTheControlsInPlace_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("larger") << QSize(640, 400) << QSize(640, 400);
        QTest::newRow("wider only") << QSize(500, 95) << QSize(500, 95);
        // The controls are never cut: the window is no smaller than they need.
        QTest::newRow("smaller than the controls") << QSize(120, 40) << QSize(294, 95);
    }

    void resizingLeavesTheControlsInPlace() {
        QFETCH(QSize, size);
        QFETCH(QSize, expected);
        MainWindow window;
        QVERIFY(ShowAndWait(window));
        window.resize(size);
        QTRY_COMPARE(window.size(), expected);
        const QList<QWidget*> controls = ControlsInCreationOrder(window);
        for (std::size_t i = 0; i < zelquin::kControlRows.size(); ++i) {
            QCOMPARE(controls[static_cast<qsizetype>(i)]->geometry(),
                     GeometryOf(zelquin::kControlRows[i]));
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

    void withoutADisplayTheProgramSaysSoAndExits1_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("message");
        QTest::newRow("no display variable")
            << QStringList() << QStringList()
            << QStringLiteral(
                   "zelquin: no display to open the window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n");
        // A display that no server serves: the platform's own words.
        QTest::newRow("a display nobody serves")
            << QStringList() << QStringList{QStringLiteral("DISPLAY=:65001")}
            << QStringLiteral(
                   "zelquin: cannot open the window: could not connect to display :65001\n");
        QTest::newRow("a platform chosen without a display")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb")} << QStringList()
            << QStringLiteral("zelquin: cannot open the window: could not connect to display\n");
    }

    void withoutADisplayTheProgramSaysSoAndExits1() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QString, message);
        const ProgramRun run =
            RunProgram(arguments,
                       {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                        QStringLiteral("QT_QPA_PLATFORM")},
                       environment);
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), message);
        QCOMPARE(run.out, QByteArray());
    }

    // Runs the application's event loop, so it comes last.
    void closingTheWindowEndsTheEventLoopWith0() {
        QTimer closer;
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* window = dynamic_cast<MainWindow*>(widget);
                if (window != nullptr && window->isVisible())
                    QTest::keyClick(window->PatternField(), Qt::Key_Q, Qt::ControlModifier);
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
