#include "qt_main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>

#include "field_sync.h"

namespace zelquin::qt {

namespace {

// The table gives the main window's outer size; a Qt window is sized by its
// content, which is that size less the frame: 6 pixels across, 25 down.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 25;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromUtf16(kMainWindowRow.text));
    resize(kMainWindowRow.width - kFrameWidth, kMainWindowRow.height - kFrameHeight);

    // The controls keep the positions they are created with; no layout moves
    // them when the window is resized. Tab does not move between them; only a
    // click focuses a field or the check box.
    for (const WindowRow& row : kControlRows) {
        const std::u16string_view className(row.className);
        const QString text = QString::fromUtf16(row.text);
        QWidget* control = nullptr;
        if (className == kEditClass) {
            auto* field = new QLineEdit(text, this);
            // No length limit of its own: QLineEdit would otherwise cut a
            // pasted or program-set text at 32767 characters.
            field->setMaxLength(std::numeric_limits<int>::max());
            field->setFocusPolicy(Qt::ClickFocus);
            // textChanged is emitted for the user's edits and, synchronously,
            // from setText; OnFieldChanged's guard tells the two apart.
            connect(field, &QLineEdit::textChanged, this,
                    [this, id = row.id]() noexcept { OnFieldChanged(id); });
            if (row.id == kPatternFieldId) {
                patternField_ = field;
            } else {
                valueField_ = field;
            }
            control = field;
        } else if (className == kStaticClass) {
            valueLabel_ = new QLabel(text, this);
            control = valueLabel_;
        } else if (className == kButtonClass) {
            // The check box has no handler: its state is read at the next edit.
            doubleOption_ = new QCheckBox(text, this);
            doubleOption_->setFocusPolicy(Qt::ClickFocus);
            control = doubleOption_;
        }
        if (control != nullptr) control->setGeometry(row.x, row.y, row.width, row.height);
    }
}

QLineEdit* MainWindow::Field(int fieldId) const {
    return fieldId == kPatternFieldId ? patternField_ : valueField_;
}

void MainWindow::OnFieldChanged(int fieldId) noexcept {
    zelquin::OnFieldChanged(
        fieldId,
        [this](int id, char16_t* buffer, std::size_t capacity) {
            // QString holds UTF-16 already: its first units are copied as they
            // are, a surrogate pair cut in two included.
            const QString text = Field(id)->text();
            const std::size_t count = std::min(static_cast<std::size_t>(text.size()), capacity - 1);
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
