// The Details panel of the Qt window: it draws the explanation of the number
// last converted, as the explanation library gives it: the bits grouped in
// fours and coloured by role, the notes, the lines as a grid of labels and
// texts, and buttons that step to the neighbouring numbers. A click on a bit or
// a button hands the library's entry for the new number to the window, which
// puts its text into the field the entry names.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "explanation.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QTextEdit;

namespace zelquin::qt {

// The bits as cells, the most significant first: 32 to a row, in groups of
// four, each group headed by the number of its first bit. Clicking a cell, or
// Space on the cell the arrow keys have chosen, flips that bit; the cells no
// field can take flipped are drawn pale.
class BitStrip : public QWidget {
  public:
    explicit BitStrip(QWidget* parent = nullptr);

    // No bits: nothing converted yet.
    void Clear();
    // The explanation's bits, with their roles and entries.
    void SetBits(const explain::Explanation& explanation);
    void SetOnFlip(std::function<void(int)> onFlip) { onFlip_ = std::move(onFlip); }

    int BitCount() const { return static_cast<int>(cells_.size()); }
    bool BitValue(int bit) const { return cells_[static_cast<std::size_t>(bit)].one; }
    bool Flippable(int bit) const;
    // Where bit `bit` (0 the least significant) is drawn.
    QRect CellRect(int bit) const;
    // The cell the keyboard is on, -1 for none.
    int CurrentBit() const { return current_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct Cell {
        bool one = false;
        explain::BitRole role = explain::BitRole::Fraction;
        const char* reason = nullptr;  // why no field takes it flipped; null where one does
    };

    int BitAt(QPoint point) const;
    void Flip(int bit);
    QString Describe(int bit) const;
    bool Dark() const;

    std::vector<Cell> cells_;  // index: the bit number
    int current_ = -1;
    std::function<void(int)> onFlip_;
};

class DetailsPanel : public QWidget {
  public:
    explicit DetailsPanel(QWidget* parent = nullptr);

    // What the panel shows: nothing converted yet, or an explanation.
    void ShowNothing();
    void ShowExplanation(const explain::Explanation& explanation);
    // The check box's state decides which fields take a number, so which bits
    // and neighbours can be entered: the library works their entries out anew.
    void SetTreatAsDouble(bool treatAsDouble);
    // Called with the entry of a flipped bit or a neighbour.
    void SetOnEnter(std::function<void(const explain::Entry&)> onEnter) {
        onEnter_ = std::move(onEnter);
    }
    // Called when the panel's least size changes (a binary64's second row of
    // bits, a note), so that the window can keep every bit in view.
    void SetOnLeastSizeChanged(std::function<void()> onChanged) {
        onLeastSizeChanged_ = std::move(onChanged);
    }

    // The size the panel opens with: room for the lines of a binary64.
    QSize PreferredSize() const;

    BitStrip* Bits() const { return bits_; }
    QPushButton* NextDownButton() const { return nextDown_; }
    QPushButton* NextUpButton() const { return nextUp_; }
    QTextEdit* Lines() const { return lines_; }
    QLabel* Notes() const { return notes_; }
    QTabWidget* Tabs() const { return tabs_; }
    // "In other formats": the number in every format, and one format's lines.
    QTableWidget* FormatTable() const { return formats_; }
    QComboBox* FormatChooser() const { return chooser_; }
    QTextEdit* FormatLines() const { return formatLines_; }
    // The lines as shown: each row of the grid, its label and its text.
    std::vector<std::pair<QString, QString>> ShownLines() const;
    std::vector<std::pair<QString, QString>> ShownFormatLines() const;

  private:
    void Update();
    void Enter(const explain::Entry& entry);
    // Fills "In other formats" for the explanation shown, when that tab is open.
    void UpdateOtherFormats();
    void ExplainChosenFormat();

    BitStrip* bits_ = nullptr;
    QPushButton* nextDown_ = nullptr;
    QPushButton* nextUp_ = nullptr;
    QLabel* notes_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTextEdit* lines_ = nullptr;
    QTableWidget* formats_ = nullptr;
    QComboBox* chooser_ = nullptr;
    QTextEdit* formatLines_ = nullptr;
    bool otherFormatsCurrent_ = false;

    bool shown_ = false;
    explain::Explanation explanation_;
    bool treatAsDouble_ = false;
    std::function<void(const explain::Entry&)> onEnter_;
    std::function<void()> onLeastSizeChanged_;
};

}  // namespace zelquin::qt
