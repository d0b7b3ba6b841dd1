#include "qt_main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <limits>

#include "field_sync.h"

namespace zelquin::qt {

namespace {

// The controls keep the positions they are created with; no layout moves them
// when the window is resized.
QLineEdit* MakeField(QWidget* parent, const QRect& geometry) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(geometry);
    // No length limit of its own: QLineEdit would otherwise cut a pasted or
    // program-set text at 32767 characters.
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromLatin1(kMainWindowTitle));
    resize(294, 95);

    patternField_ = MakeField(this, QRect(5, 5, 280, 22));
    valueLabel_ = new QLabel(QStringLiteral("Float:"), this);
    valueLabel_->setGeometry(5, 35, 50, 22);
    valueField_ = MakeField(this, QRect(55, 35, 230, 22));
    doubleOption_ = new QCheckBox(QStringLiteral("Treat as 'double'"), this);
    doubleOption_->setGeometry(5, 60, 280, 22);

    // Tab does not move between the controls; only a click focuses them.
    patternField_->setFocusPolicy(Qt::ClickFocus);
    valueField_->setFocusPolicy(Qt::ClickFocus);
    doubleOption_->setFocusPolicy(Qt::ClickFocus);

    // textChanged is emitted for the user's edits and, synchronously, from
    // setText; OnFieldEdited's guard tells the two apart. The check box has no
    // handler: its state is read at the next edit.
    connect(patternField_, &QLineEdit::textChanged, this,
            [this] { OnFieldChanged(kPatternFieldId); });
    connect(valueField_, &QLineEdit::textChanged, this,
            [this] { OnFieldChanged(kValueFieldId); });
}

QLineEdit* MainWindow::Field(int fieldId) const {
    return fieldId == kPatternFieldId ? patternField_ : valueField_;
}

void MainWindow::OnFieldChanged(int fieldId) {
    OnFieldEdited(
        fieldId,
        [this](int id, char16_t* buffer, std::size_t capacity) {
            // QString holds UTF-16 already: its first units are copied as they
            // are, a surrogate pair cut in two included.
            const QString text = Field(id)->text();
            const std::size_t count =
                std::min(static_cast<std::size_t>(text.size()), capacity - 1);
            std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), count, buffer);
            return count;
        },
        [this] { return doubleOption_->isChecked(); },
        [this](int id, const char16_t* text) { Field(id)->setText(QString::fromUtf16(text)); });
}

int RunMainWindow() {
    MainWindow window;
    window.show();
    return QApplication::exec();
}

}  // namespace zelquin::qt
