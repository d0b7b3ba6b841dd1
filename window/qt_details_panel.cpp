// The Details panel: the bit cells drawn and clicked, the explanation's lines,
// and the neighbour buttons, all from the explanation of the last conversion.
#include "qt_details_panel.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "conversion.h"

namespace zelquin::qt {

std::optional<std::u16string> PatternFieldText(std::uint64_t bits, bool binary64,
                                               bool treatAsDouble) {
    constexpr std::uint64_t kLow32 = 0xffffffffu;
    if (!treatAsDouble) {
        // A binary64 whose upper half is zero would be read as a binary32.
        if (binary64 && bits <= kLow32) return std::nullopt;
        return UInt64ToHexText(bits);
    }
    if (!binary64 || (bits & kLow32) != 0) return std::nullopt;
    return UInt64ToHexText(bits >> 32);
}

std::optional<FieldEntry> EntryFor(std::uint64_t bits, bool binary64, bool treatAsDouble) {
    if (auto pattern = PatternFieldText(bits, binary64, treatAsDouble))
        return FieldEntry{false, std::move(*pattern)};
    if (!treatAsDouble || !binary64) return std::nullopt;
    std::u16string value = explain::ValueTextFor(bits);
    if (value.empty()) return std::nullopt;
    return FieldEntry{true, std::move(value)};
}

namespace {

// The cells: 32 to a row, in groups of four, each group headed by the number
// of its first bit; below the rows a legend of the three colours.
constexpr int kCellWidth = 13;
constexpr int kCellHeight = 20;
constexpr int kGroupGap = 6;
constexpr int kIndexHeight = 12;
constexpr int kRowGap = 4;
constexpr int kLegendHeight = 18;
constexpr int kBitsPerRow = 32;
constexpr int kRowHeight = kIndexHeight + kCellHeight;
constexpr int kStripWidth = kBitsPerRow * kCellWidth + (kBitsPerRow / 4 - 1) * kGroupGap;

// The explanation's lines are shown this many columns wide and 18 lines high when the panel opens.
constexpr int kLineColumns = 78;

int RowCount(int bitCount) { return bitCount > kBitsPerRow ? 2 : 1; }
int RowsHeight(int bitCount) {
    return RowCount(bitCount) * kRowHeight + (RowCount(bitCount) - 1) * kRowGap;
}

enum class Field { Sign, Exponent, Fraction };

// The page's colours: fill and border of each field's cells.
struct FieldColours {
    QColor fill;
    QColor border;
    const char* name;
};

FieldColours ColoursOf(Field field) {
    switch (field) {
        case Field::Sign:
            return {QColor(0xcf, 0xe0, 0xfb), QColor(0x5b, 0x84, 0xc8), "sign"};
        case Field::Exponent:
            return {QColor(0xd3, 0xf0, 0xd0), QColor(0x5f, 0xa0, 0x57), "exponent"};
        case Field::Fraction:
            break;
    }
    return {QColor(0xfb, 0xd9, 0xc9), QColor(0xc7, 0x7a, 0x52), "fraction"};
}

Field FieldOf(int bit, int bitCount, int exponentBits) {
    if (bit == bitCount - 1) return Field::Sign;
    return bit >= bitCount - 1 - exponentBits ? Field::Exponent : Field::Fraction;
}

QColor Mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

bool IsBinary64(const explain::Explanation& explanation) {
    return explanation.format->TotalBits() == 64;
}

// The explanation's lines without the block's indent and its closing empty line.
QString LinesOf(const explain::Explanation& explanation) {
    const std::string block = explain::ExplanationText(explanation);
    QStringList lines;
    std::string_view rest = block;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.starts_with("  ")) line.remove_prefix(2);
        if (!line.empty())
            lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    return lines.join(u'\n');
}

}  // namespace

BitStrip::BitStrip(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Bits"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BitStrip::sizeHint() const {
    return QSize(kStripWidth, RowsHeight(bitCount_) + kLegendHeight);
}

void BitStrip::Clear() {
    if (RowCount(bitCount_) != RowCount(0)) updateGeometry();
    bitCount_ = 0;
    current_ = -1;
    flippable_ = 0;
    setAccessibleDescription(QString());
    update();
}

void BitStrip::SetBits(std::uint64_t bits, bool binary64, std::uint64_t flippable) {
    const int count = binary64 ? 64 : 32;
    if (count != bitCount_) current_ = -1;
    if (RowCount(count) != RowCount(bitCount_)) updateGeometry();
    bits_ = bits;
    bitCount_ = count;
    exponentBits_ = binary64 ? kBinary64.exponentBits : kBinary32.exponentBits;
    flippable_ = flippable;
    QString description;
    for (int bit = count - 1; bit >= 0; --bit) description += BitValue(bit) ? u'1' : u'0';
    setAccessibleDescription(description);
    update();
}

bool BitStrip::Flippable(int bit) const {
    return bit >= 0 && bit < bitCount_ && ((flippable_ >> bit) & 1) != 0;
}

QRect BitStrip::CellRect(int bit) const {
    if (bit < 0 || bit >= bitCount_) return QRect();
    const int position = bitCount_ - 1 - bit;  // from the left, most significant first
    const int row = position / kBitsPerRow;
    const int column = position % kBitsPerRow;
    const int x = column * kCellWidth + (column / 4) * kGroupGap;
    const int y = row * (kRowHeight + kRowGap) + kIndexHeight;
    return QRect(x, y, kCellWidth, kCellHeight);
}

int BitStrip::BitAt(QPoint point) const {
    for (int bit = 0; bit < bitCount_; ++bit) {
        if (CellRect(bit).contains(point)) return bit;
    }
    return -1;
}

QString BitStrip::Describe(int bit) const {
    const char* field = ColoursOf(FieldOf(bit, bitCount_, exponentBits_)).name;
    QString text = QStringLiteral("bit %1 (%2): %3")
                       .arg(bit)
                       .arg(QLatin1String(field))
                       .arg(BitValue(bit) ? 1 : 0);
    text += Flippable(bit) ? QStringLiteral("; click to flip it")
                           : QStringLiteral("; the pattern field cannot take it flipped");
    return text;
}

void BitStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    QFont indexFont = font();
    indexFont.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.75));
    QFont cellFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    if (bitCount_ == 0) {
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(QRect(0, 0, kStripWidth, kRowHeight), Qt::AlignCenter,
                         QStringLiteral("Type a pattern or a number to see its bits."));
    }
    for (int bit = bitCount_ - 1; bit >= 0; --bit) {
        const QRect cell = CellRect(bit);
        const int position = bitCount_ - 1 - bit;
        if (position % 4 == 0) {
            painter.setFont(indexFont);
            painter.setPen(colours.color(QPalette::PlaceholderText));
            painter.drawText(
                QRect(cell.left(), cell.top() - kIndexHeight, 4 * kCellWidth, kIndexHeight),
                Qt::AlignLeft | Qt::AlignBottom, QString::number(bit));
        }
        FieldColours field = ColoursOf(FieldOf(bit, bitCount_, exponentBits_));
        const bool flippable = Flippable(bit);
        if (!flippable) {
            field.fill = Mix(field.fill, colours.color(QPalette::Window));
            field.border = Mix(field.border, colours.color(QPalette::Window));
        }
        painter.setPen(field.border);
        painter.setBrush(field.fill);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setFont(cellFont);
        painter.setPen(flippable ? QColor(0x1d, 0x1d, 0x1f)
                                 : colours.color(QPalette::PlaceholderText));
        painter.drawText(cell, Qt::AlignCenter,
                         BitValue(bit) ? QStringLiteral("1") : QStringLiteral("0"));
        if (bit == current_ && hasFocus()) {
            painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell.adjusted(1, 1, -1, -1));
        }
    }

    // The legend.
    painter.setFont(indexFont);
    int x = 0;
    const int y = RowsHeight(bitCount_) + 4;
    for (Field field : {Field::Sign, Field::Exponent, Field::Fraction}) {
        const FieldColours colour = ColoursOf(field);
        painter.setPen(colour.border);
        painter.setBrush(colour.fill);
        painter.drawRect(x, y + 2, 9, 9);
        painter.setPen(colours.color(QPalette::WindowText));
        const QString name = QLatin1String(colour.name);
        painter.drawText(QRect(x + 13, y, 100, kLegendHeight - 4), Qt::AlignLeft | Qt::AlignVCenter,
                         name);
        x += 13 + painter.fontMetrics().horizontalAdvance(name) + 12;
    }
}

void BitStrip::mousePressEvent(QMouseEvent* event) {
    const int bit = BitAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || bit < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    current_ = bit;
    update();
    Flip(bit);
}

void BitStrip::keyPressEvent(QKeyEvent* event) {
    if (bitCount_ == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (current_ < 0) current_ = bitCount_ - 1;
    int next = current_;
    switch (event->key()) {
        case Qt::Key_Left:
            next = std::min(current_ + 1, bitCount_ - 1);
            break;
        case Qt::Key_Right:
            next = std::max(current_ - 1, 0);
            break;
        case Qt::Key_Up:
            if (current_ + kBitsPerRow < bitCount_) next = current_ + kBitsPerRow;
            break;
        case Qt::Key_Down:
            if (current_ - kBitsPerRow >= 0) next = current_ - kBitsPerRow;
            break;
        case Qt::Key_Home:
            next = bitCount_ - 1;
            break;
        case Qt::Key_End:
            next = 0;
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Flip(current_);
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    current_ = next;
    update();
}

bool BitStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int bit = BitAt(help->pos());
        if (bit >= 0) {
            QToolTip::showText(help->globalPos(), Describe(bit), this, CellRect(bit));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) update();
    return QWidget::event(event);
}

void BitStrip::Flip(int bit) {
    if (Flippable(bit) && onFlip_) onFlip_(bit);
}

DetailsPanel::DetailsPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    bits_ = new BitStrip(this);
    bits_->SetOnFlip([this](int bit) { Enter(shownBits_ ^ (std::uint64_t{1} << bit)); });
    layout->addWidget(bits_);

    auto* buttons = new QHBoxLayout;
    nextDown_ = new QPushButton(QStringLiteral("Next down"), this);
    nextUp_ = new QPushButton(QStringLiteral("Next up"), this);
    nextDown_->setToolTip(QStringLiteral("The next lower number of the format"));
    nextUp_->setToolTip(QStringLiteral("The next higher number of the format"));
    connect(nextDown_, &QPushButton::clicked, this, [this] {
        if (nextDownBits_) Enter(*nextDownBits_);
    });
    connect(nextUp_, &QPushButton::clicked, this, [this] {
        if (nextUpBits_) Enter(*nextUpBits_);
    });
    buttons->addWidget(nextDown_);
    buttons->addWidget(nextUp_);
    buttons->addStretch();
    layout->addLayout(buttons);

    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_);

    lines_ = new QPlainTextEdit(this);
    lines_->setReadOnly(true);
    lines_->setTabChangesFocus(true);
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Lines break between words, and digits that run on for hundreds of
    // places anywhere.
    lines_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lines_->setMinimumHeight(lines_->fontMetrics().lineSpacing() * 4);
    layout->addWidget(lines_, 1);

    ShowNothing();
}

QSize DetailsPanel::PreferredSize() const {
    const QFontMetrics metrics(lines_->font());
    const int frame =
        2 * lines_->frameWidth() + 2 * static_cast<int>(lines_->document()->documentMargin());
    const int linesWidth = metrics.horizontalAdvance(QLatin1Char('0')) * kLineColumns + frame +
                           lines_->verticalScrollBar()->sizeHint().width();
    const int linesHeight = metrics.lineSpacing() * 18 + frame;
    const QSize least = minimumSizeHint();
    return QSize(std::max(least.width(), linesWidth),
                 least.height() - lines_->minimumHeight() + linesHeight);
}

void DetailsPanel::ShowNothing() {
    shown_ = false;
    nextDownBits_.reset();
    nextUpBits_.reset();
    lines_->setPlainText(QString());
    lines_->setPlaceholderText(
        QStringLiteral("Type a bit pattern or a number above: how it is stored shows here."));
    Update();
}

void DetailsPanel::ShowExplanation(const explain::Explanation& explanation) {
    shown_ = true;
    shownBits_ = explanation.bits;
    binary64_ = IsBinary64(explanation);
    nextDownBits_ = explanation.nextDown;
    nextUpBits_ = explanation.nextUp;
    lines_->setPlainText(LinesOf(explanation));
    Update();
}

void DetailsPanel::SetTreatAsDouble(bool treatAsDouble) {
    if (treatAsDouble == treatAsDouble_) return;
    treatAsDouble_ = treatAsDouble;
    Update();
}

void DetailsPanel::Update() {
    if (!shown_) {
        bits_->Clear();
        nextDown_->setEnabled(false);
        nextUp_->setEnabled(false);
        note_->hide();
        return;
    }
    const auto enterable = [this](std::uint64_t bits) {
        return EntryFor(bits, binary64_, treatAsDouble_).has_value();
    };
    // Each bit is tried once here: the cells are drawn from the mask.
    std::uint64_t flippable = 0;
    const int bitCount = binary64_ ? 64 : 32;
    for (int bit = 0; bit < bitCount; ++bit) {
        if (enterable(shownBits_ ^ (std::uint64_t{1} << bit))) flippable |= std::uint64_t{1} << bit;
    }
    const bool someBitBlocked =
        flippable != (binary64_ ? ~std::uint64_t{0} : std::uint64_t{0xFFFFFFFF});
    bits_->SetBits(shownBits_, binary64_, flippable);
    nextDown_->setEnabled(nextDownBits_ && enterable(*nextDownBits_));
    nextUp_->setEnabled(nextUpBits_ && enterable(*nextUpBits_));

    // Why some bits cannot be entered, when the check box is the reason.
    QString note;
    if (someBitBlocked && treatAsDouble_) {
        note = binary64_ ? QStringLiteral(
                               "With \u201cTreat as 'double'\u201d set, the pattern field "
                               "holds only the upper 32 bits of a binary64, and no decimal "
                               "gives an infinity or a NaN; clear it to reach these.")
                         : QStringLiteral(
                               "With \u201cTreat as 'double'\u201d set, the pattern field "
                               "holds a binary64; clear it to change these bits.");
    } else if (someBitBlocked) {
        note = QStringLiteral(
            "A binary64 whose upper 32 bits are zero cannot be typed with \u201cTreat as "
            "'double'\u201d clear: the pattern field reads it as a binary32.");
    }
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void DetailsPanel::Enter(std::uint64_t bits) {
    const auto entry = EntryFor(bits, binary64_, treatAsDouble_);
    if (entry && onEnter_) onEnter_(*entry);
}

}  // namespace zelquin::qt
