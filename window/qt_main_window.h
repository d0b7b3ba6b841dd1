// The Qt main window: a pattern field, a value field with its label, and the
// "Treat as 'double'" check box, created from the control table at fixed
// positions and kept in step by OnFieldChanged.
//
// zelquin's main is only a QApplication followed by RunMainWindow; the tests
// create the window through the same class.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace zelquin::qt {

class MainWindow : public QWidget {
  public:
    // Creates the four controls in the table's order, empty and unchecked.
    // Nothing is converted until a field's text changes.
    explicit MainWindow(QWidget* parent = nullptr);

    QLineEdit* PatternField() const { return patternField_; }
    QLabel* ValueLabel() const { return valueLabel_; }
    QLineEdit* ValueField() const { return valueField_; }
    QCheckBox* DoubleOption() const { return doubleOption_; }

  private:
    // Every text change of a field, typed or set by the program, comes here.
    void OnFieldChanged(int fieldId) noexcept;
    QLineEdit* Field(int fieldId) const;

    QLineEdit* patternField_ = nullptr;
    QLineEdit* valueField_ = nullptr;
    QLabel* valueLabel_ = nullptr;
    QCheckBox* doubleOption_ = nullptr;
};

// Shows a main window and runs the application's event loop until the window
// is closed. Returns the loop's exit status (0 after a close).
int RunMainWindow();

}  // namespace zelquin::qt
