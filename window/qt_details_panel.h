// The Details panel of the Qt window: the bits of the number last converted,
// grouped in fours and coloured by field, the explanation's lines, and buttons
// that step to the neighbouring numbers. A click on a bit or a button hands
// the new number to the window, which puts it into the pattern field, or as a
// decimal into the Float field where only that field can take it.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "explanation.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zelquin::qt {

// The text that makes the pattern field convert to `bits` (a binary32 or a
// binary64) under the check box's state, or nothing when no text can: with
// the box clear an integer up to 0xffffffff is a binary32 and a wider one a
// binary64; with it set the integer is the upper half of a binary64 whose
// lower half is zero.
std::optional<std::u16string> PatternFieldText(std::uint64_t bits, bool binary64,
                                               bool treatAsDouble);

// Where a flipped bit or a neighbour is entered: the pattern field's text when
// that field can take the number; otherwise, with the box set, a binary64
// goes into the Float field as a decimal that reads back to it. Nothing where
// neither field can take it.
struct FieldEntry {
    bool valueField = false;
    std::u16string text;
};
std::optional<FieldEntry> EntryFor(std::uint64_t bits, bool binary64, bool treatAsDouble);

// The bits as cells, the most significant first: one row of 32 for a
// binary32, two for a binary64, in groups of four. Clicking a cell, or Space
// on the cell the arrow keys have chosen, flips that bit.
class BitStrip : public QWidget {
  public:
    explicit BitStrip(QWidget* parent = nullptr);

    // No bits: nothing converted yet.
    void Clear();
    // Bit i of `flippable` is set where bit i may be flipped.
    void SetBits(std::uint64_t bits, bool binary64, std::uint64_t flippable);
    void SetOnFlip(std::function<void(int)> onFlip) { onFlip_ = std::move(onFlip); }

    int BitCount() const { return bitCount_; }
    bool BitValue(int bit) const { return ((bits_ >> bit) & 1) != 0; }
    bool Flippable(int bit) const;
    // Where bit `bit` (0 the least significant) is drawn.
    QRect CellRect(int bit) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int BitAt(QPoint point) const;
    void Flip(int bit);
    QString Describe(int bit) const;

    std::uint64_t bits_ = 0;
    int bitCount_ = 0;
    int exponentBits_ = 8;
    int current_ = -1;  // the cell the keyboard is on
    std::uint64_t flippable_ = 0;
    std::function<void(int)> onFlip_;
};

class DetailsPanel : public QWidget {
  public:
    explicit DetailsPanel(QWidget* parent = nullptr);

    // What the panel shows: nothing converted yet, or an explanation.
    void ShowNothing();
    void ShowExplanation(const explain::Explanation& explanation);
    // The check box's state decides which patterns the pattern field can take,
    // so which bits and neighbours can be entered.
    void SetTreatAsDouble(bool treatAsDouble);
    // Called with the entry of a flipped bit or a neighbour.
    void SetOnEnter(std::function<void(const FieldEntry&)> onEnter) {
        onEnter_ = std::move(onEnter);
    }

    // The size the panel opens with: room for the explanation's lines, 78 columns wide.
    QSize PreferredSize() const;

    BitStrip* Bits() const { return bits_; }
    QPushButton* NextDownButton() const { return nextDown_; }
    QPushButton* NextUpButton() const { return nextUp_; }
    QPlainTextEdit* Lines() const { return lines_; }

  private:
    void Update();
    void Enter(std::uint64_t bits);

    BitStrip* bits_ = nullptr;
    QPushButton* nextDown_ = nullptr;
    QPushButton* nextUp_ = nullptr;
    QLabel* note_ = nullptr;
    QPlainTextEdit* lines_ = nullptr;

    bool shown_ = false;
    std::uint64_t shownBits_ = 0;
    bool binary64_ = false;
    std::optional<std::uint64_t> nextDownBits_;
    std::optional<std::uint64_t> nextUpBits_;
    bool treatAsDouble_ = false;
    std::function<void(const FieldEntry&)> onEnter_;
};

}  // namespace zelquin::qt
