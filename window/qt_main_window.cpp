// The Qt window: the control table's four controls at their places, the
// fields' change signals handed to the field synchronisation, the keys and
// the Details panel around them.
#include "qt_main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <limits>
#include <string_view>

#include "field_sync.h"
#include "qt_details_panel.h"
#include "qt_icon.h"

namespace zelquin::qt {

namespace {

// The table gives the main window's outer size; a Qt window is sized by its
// content, which is that size less the frame: 6 pixels across, 25 down.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 25;
const QSize kClosedSize(kMainWindowRow.width - kFrameWidth, kMainWindowRow.height - kFrameHeight);

// The Details disclosure sits in the strip below the check box, within the
// window's first size; the panel opens below it.
constexpr int kMargin = 5;
const QRect kDisclosureGeometry(kMargin - 2, 80, 90, 15);
constexpr int kPanelTop = 100;

const QString kSettingsName = QStringLiteral("zelquin");
const QString kDetailsOpenKey = QStringLiteral("details/open");

}  // namespace

bool DetailsOpenSetting() {
    return QSettings(kSettingsName, kSettingsName).value(kDetailsOpenKey, false).toBool();
}

void SaveDetailsOpenSetting(bool open) {
    QSettings(kSettingsName, kSettingsName).setValue(kDetailsOpenKey, open);
}

MainWindow::MainWindow(bool detailsOpen, QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromUtf16(kMainWindowRow.text));
    setWindowIcon(ZelquinIcon());
    resize(kClosedSize);
    setMinimumSize(kClosedSize);

    // The controls keep the positions they are created with; no layout moves
    // them when the window is resized.
    for (const WindowRow& row : kControlRows) {
        const std::u16string_view className(row.className);
        const QString text = QString::fromUtf16(row.text);
        QWidget* control = nullptr;
        if (className == kEditClass) {
            auto* field = new QLineEdit(text, this);
            // No length limit of its own: QLineEdit would otherwise cut a
            // pasted or program-set text at 32767 characters.
            field->setMaxLength(std::numeric_limits<int>::max());
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
            // The check box converts nothing: its state is read at the next
            // edit. It only tells the Details panel which patterns can be typed.
            doubleOption_ = new QCheckBox(text, this);
            doubleOption_->setFocusPolicy(Qt::StrongFocus);
            control = doubleOption_;
        }
        if (control != nullptr) control->setGeometry(row.x, row.y, row.width, row.height);
    }

    detailsButton_ = new QToolButton(this);
    detailsButton_->setText(QStringLiteral("Details"));
    detailsButton_->setAutoRaise(true);
    detailsButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    detailsButton_->setArrowType(Qt::RightArrow);
    detailsButton_->setFocusPolicy(Qt::StrongFocus);
    detailsButton_->setGeometry(kDisclosureGeometry);
    detailsButton_->setToolTip(
        QStringLiteral("The bits and the exact value of the last conversion"));

    details_ = new DetailsPanel(this);
    details_->hide();
    details_->SetOnEnter([this](const explain::Entry& entry) { Enter(entry); });
    details_->SetOnLeastSizeChanged([this] { KeepLeastOpenSize(); });
    connect(doubleOption_, &QCheckBox::toggled, this,
            [this](bool checked) { details_->SetTreatAsDouble(checked); });

    // Tab and Shift+Tab go through the fields, the check box and the
    // disclosure, then the open panel.
    setTabOrder(patternField_, valueField_);
    setTabOrder(valueField_, doubleOption_);
    setTabOrder(doubleOption_, detailsButton_);
    setTabOrder(detailsButton_, details_->Bits());
    setTabOrder(details_->Bits(), details_->NextDownButton());
    setTabOrder(details_->NextDownButton(), details_->NextUpButton());
    setTabOrder(details_->NextUpButton(), details_->Tabs()->tabBar());
    setTabOrder(details_->Tabs()->tabBar(), details_->Lines());

    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    detailsButton_->setAccessibleDescription(QStringLiteral("closed"));
    SetDetailsOpen(detailsOpen);
    connect(detailsButton_, &QToolButton::clicked, this, [this] {
        SetDetailsOpen(!detailsOpen_);
        SaveDetailsOpenSetting(detailsOpen_);
    });
}

bool MainWindow::DetailsOpen() const { return detailsOpen_; }

void MainWindow::SetDetailsOpen(bool open) {
    if (open == detailsOpen_) return;
    detailsOpen_ = open;
    detailsButton_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    detailsButton_->setAccessibleDescription(open ? QStringLiteral("open")
                                                  : QStringLiteral("closed"));
    if (!open) {
        // Back to the size the window had before it opened; it opens again at
        // the size it has now.
        openSize_ = size();
        details_->hide();
        setMinimumSize(kClosedSize);
        resize(closedSize_);
        return;
    }
    closedSize_ = size();
    RefreshDetails();
    const QSize least = LeastOpenSize();
    setMinimumSize(least);
    if (openSize_.isValid()) {
        resize(openSize_.expandedTo(least));
    } else {
        const QSize wanted = details_->PreferredSize();
        resize(QSize(kMargin + wanted.width() + kMargin, kPanelTop + wanted.height() + kMargin)
                   .expandedTo(size())
                   .expandedTo(least));
    }
    PlaceDetails();
    details_->show();
}

QSize MainWindow::LeastOpenSize() const {
    const QSize least = details_->minimumSizeHint();
    return QSize(std::max(kClosedSize.width(), kMargin + least.width() + kMargin),
                 kPanelTop + least.height() + kMargin);
}

void MainWindow::KeepLeastOpenSize() {
    if (!detailsOpen_) return;
    const QSize least = LeastOpenSize();
    setMinimumSize(least);
    if (width() < least.width() || height() < least.height()) resize(size().expandedTo(least));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceDetails();
}

void MainWindow::PlaceDetails() {
    details_->setGeometry(kMargin, kPanelTop, std::max(0, width() - 2 * kMargin),
                          std::max(0, height() - kPanelTop - kMargin));
}

QLineEdit* MainWindow::Field(int fieldId) const {
    return fieldId == kPatternFieldId ? patternField_ : valueField_;
}

void MainWindow::OnFieldChanged(int fieldId) noexcept {
    QString edited;
    FormatOption option = FormatOption::Binary32;
    const bool converted = zelquin::OnFieldChanged(
        fieldId,
        [this, &edited](int id, char16_t* buffer, std::size_t capacity) {
            // QString holds UTF-16 already: its first units are copied as they
            // are, a surrogate pair cut in two included.
            edited = Field(id)->text();
            const std::size_t count =
                std::min(static_cast<std::size_t>(edited.size()), capacity - 1);
            std::copy_n(reinterpret_cast<const char16_t*>(edited.utf16()), count, buffer);
            return count;
        },
        [this, &option] {
            const bool checked = doubleOption_->isChecked();
            option = CheckBoxOption(checked);
            return checked;
        },
        [this](int id, const char16_t* text) {
            // The start of the text is what matters (the sign, the leading
            // digits), so the field shows it, as the Windows window does.
            QLineEdit* field = Field(id);
            field->setText(QString::fromUtf16(text));
            field->setCursorPosition(0);
        });
    if (!converted) return;
    converted_ = true;
    command_ = fieldId == kPatternFieldId ? explain::Command::Pattern : explain::Command::Value;
    textUnits_ = static_cast<std::size_t>(edited.size());
    convertedText_ = edited.left(static_cast<qsizetype>(kFieldUnitsConverted));
    option_ = option;
    detailsCurrent_ = false;
    RefreshDetails();
}

void MainWindow::RefreshDetails() {
    if (!DetailsOpen() || detailsCurrent_) return;
    detailsCurrent_ = true;
    if (!converted_) {
        details_->ShowNothing();
        return;
    }
    const std::u16string_view text(reinterpret_cast<const char16_t*>(convertedText_.utf16()),
                                   static_cast<std::size_t>(convertedText_.size()));
    details_->ShowExplanation(explain::Explain(command_, text, textUnits_, option_));
}

void MainWindow::Enter(const explain::Entry& entry) {
    // Replacing the whole text as typing over a selection does: the field
    // converts it, and Ctrl+Z brings back the text before.
    QLineEdit* field = entry.field == explain::EntryField::Value ? valueField_ : patternField_;
    field->selectAll();
    const std::string_view text = entry.Text();
    field->insert(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

int RunMainWindow() {
    MainWindow window(DetailsOpenSetting());
    window.show();
    return QApplication::exec();
}

}  // namespace zelquin::qt
