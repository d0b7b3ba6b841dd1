// The Qt main window: a pattern field, a value field with its label, and the
// "Treat as 'double'" check box, created from the control table at fixed
// positions and kept in step by OnFieldChanged; below them a "Details"
// disclosure that opens the explanation of the last conversion.
//
// zelquin's main is only a QApplication followed by RunMainWindow; the tests
// create the window through the same class.
#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>

#include "conversion.h"
#include "explanation.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace zelquin::qt {

class DetailsPanel;

class MainWindow : public QWidget {
  public:
    // Creates the four controls in the table's order, empty and unchecked,
    // then the Details disclosure, open or closed. Nothing is converted until
    // a field's text changes.
    explicit MainWindow(bool detailsOpen = false, QWidget* parent = nullptr);

    QLineEdit* PatternField() const { return patternField_; }
    QLabel* ValueLabel() const { return valueLabel_; }
    QLineEdit* ValueField() const { return valueField_; }
    QCheckBox* DoubleOption() const { return doubleOption_; }
    QToolButton* DetailsButton() const { return detailsButton_; }
    DetailsPanel* Details() const { return details_; }

    bool DetailsOpen() const;
    // Opens or closes the Details panel, growing or shrinking the window, and
    // remembers the choice for the next start.
    void SetDetailsOpen(bool open);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Every text change of a field, typed or set by the program, comes here.
    void OnFieldChanged(int fieldId) noexcept;
    QLineEdit* Field(int fieldId) const;
    // Shows the explanation of the last conversion, when the panel is open.
    void RefreshDetails();
    // Puts an entry's text into its field as if it had been typed there.
    void Enter(const explain::Entry& entry);
    void PlaceDetails();
    // With Details open, the least size that shows the panel whole.
    QSize LeastOpenSize() const;
    void KeepLeastOpenSize();

    QLineEdit* patternField_ = nullptr;
    QLineEdit* valueField_ = nullptr;
    QLabel* valueLabel_ = nullptr;
    QCheckBox* doubleOption_ = nullptr;
    QToolButton* detailsButton_ = nullptr;
    DetailsPanel* details_ = nullptr;

    // The last conversion, as the explanation needs it: the field edited, its
    // first 199 units, the length of its whole text and the option it was
    // converted under.
    bool converted_ = false;
    explain::Command command_ = explain::Command::Pattern;
    QString convertedText_;
    std::size_t textUnits_ = 0;
    FormatOption option_ = FormatOption::Binary32;
    bool detailsCurrent_ = false;  // the panel shows the last conversion

    bool detailsOpen_ = false;
    QSize closedSize_;  // the window's size before Details opened
    QSize openSize_;    // and before it last closed (invalid before the first time)
};

// Whether the Details panel was open when the window was last used
// ($XDG_CONFIG_HOME/zelquin/zelquin.conf), and remembering it.
bool DetailsOpenSetting();
void SaveDetailsOpenSetting(bool open);

// Shows a main window, with Details as it was left, and runs the
// application's event loop until the window is closed. Returns the loop's exit
// status (0 after a close).
int RunMainWindow();

}  // namespace zelquin::qt
