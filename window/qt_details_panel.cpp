// The Details panel: the bit cells drawn and clicked, the notes, the lines in
// a grid, and the neighbour buttons, all drawn from the explanation of the last
// conversion. What the panel says and which numbers can be entered come from
// the explanation library; the panel only lays them out.
#include "qt_details_panel.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

namespace zelquin::qt {

namespace {

// The cells: 32 to a row, in groups of four, each group headed by the number
// of its first bit; below the rows a legend of the roles' colours.
constexpr int kCellWidth = 13;
constexpr int kCellHeight = 20;
constexpr int kGroupGap = 6;
constexpr int kIndexHeight = 12;
constexpr int kRowGap = 4;
constexpr int kLegendHeight = 18;
constexpr int kBitsPerRow = 32;
constexpr int kRowHeight = kIndexHeight + kCellHeight;
constexpr int kStripWidth = kBitsPerRow * kCellWidth + (kBitsPerRow / 4 - 1) * kGroupGap;

// The lines' grid: labels in a column this many characters wide, texts in
// one of kTextColumns characters when the panel opens, which holds a
// binary64's binary line whole; 20 lines high.
constexpr int kLabelColumns = 13;
constexpr int kTextColumns = 72;
constexpr int kOpeningLineCount = 20;

int RowCount(int bitCount) { return std::max(1, (bitCount + kBitsPerRow - 1) / kBitsPerRow); }
int RowsHeight(int bitCount) {
    return RowCount(bitCount) * kRowHeight + (RowCount(bitCount) - 1) * kRowGap;
}

QColor Colour(std::uint32_t rgb) {
    return QColor(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QColor Mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString RoleName(explain::BitRole role) {
    return Latin1(explain::kBitRoles[static_cast<int>(role)].name);
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A read-only box for lines: fixed-width text that wraps within its column,
// with a ring of the highlight in focus.
QTextEdit* LinesBox(QWidget* parent, const QString& name) {
    auto* box = new QTextEdit(parent);
    box->setReadOnly(true);
    box->setTabChangesFocus(true);
    box->setAccessibleName(name);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Texts break between words, and digits that run on for hundreds of
    // places anywhere, within their column.
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setMinimumHeight(box->fontMetrics().lineSpacing() * 4);
    box->setStyleSheet(
        QStringLiteral("QTextEdit { border: 1px solid palette(mid); }"
                       "QTextEdit:focus { border: 2px solid palette(highlight); }"));
    return box;
}

// The lines as a grid: each label in its column, each text wrapping within
// its own.
void FillLines(QTextEdit* box, const explain::Lines& lines) {
    QTextDocument* document = box->document();
    document->clear();
    QTextCursor cursor(document);
    QTextTableFormat grid;
    grid.setBorder(0);
    grid.setCellPadding(1);
    grid.setCellSpacing(0);
    const int zero = QFontMetrics(box->font()).horizontalAdvance(QLatin1Char('0'));
    grid.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, zero * kLabelColumns),
                                    QTextLength(QTextLength::PercentageLength, 100)});
    QTextTable* table = cursor.insertTable(static_cast<int>(lines.size()), 2, grid);
    QTextCharFormat labelFormat;
    labelFormat.setForeground(Colour(box->palette().color(QPalette::Base).lightness() < 128
                                         ? explain::kDarkMutedText
                                         : explain::kLightMutedText));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i);
        table->cellAt(row, 0).firstCursorPosition().insertText(Latin1(lines.labels[i]),
                                                               labelFormat);
        table->cellAt(row, 1).firstCursorPosition().insertText(Utf8(lines.texts[i]));
    }
    box->moveCursor(QTextCursor::Start);
}

std::vector<std::pair<QString, QString>> LinesShownIn(const QTextEdit* box) {
    std::vector<std::pair<QString, QString>> shown;
    for (QTextFrame* frame : box->document()->rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) continue;
        const auto cellText = [table](int row, int column) {
            QTextCursor cursor = table->cellAt(row, column).firstCursorPosition();
            cursor.setPosition(table->cellAt(row, column).lastCursorPosition().position(),
                               QTextCursor::KeepAnchor);
            return cursor.selectedText();
        };
        for (int row = 0; row < table->rows(); ++row)
            shown.emplace_back(cellText(row, 0), cellText(row, 1));
    }
    return shown;
}

}  // namespace

BitStrip::BitStrip(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Bits"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BitStrip::sizeHint() const {
    return QSize(kStripWidth, RowsHeight(BitCount()) + kLegendHeight);
}

bool BitStrip::Dark() const { return palette().color(QPalette::Window).lightness() < 128; }

void BitStrip::Clear() {
    if (RowCount(BitCount()) != RowCount(0)) updateGeometry();
    cells_.clear();
    current_ = -1;
    setAccessibleDescription(QString());
    update();
}

void BitStrip::SetBits(const explain::Explanation& explanation) {
    const int count = explanation.hex.bitCount;
    if (count != BitCount()) current_ = hasFocus() ? count - 1 : -1;
    if (RowCount(count) != RowCount(BitCount())) updateGeometry();
    cells_.resize(static_cast<std::size_t>(count));
    QString description;
    for (int bit = count - 1; bit >= 0; --bit) {
        const explain::BitEntry& entry = explanation.bits[static_cast<std::size_t>(bit)];
        Cell& cell = cells_[static_cast<std::size_t>(bit)];
        cell.one = ((explanation.hex.bits >> bit) & 1) != 0;
        cell.role = entry.role;
        cell.reason = entry.entry.reason;
        description += cell.one ? u'1' : u'0';
    }
    setAccessibleDescription(description);
    update();
}

bool BitStrip::Flippable(int bit) const {
    return bit >= 0 && bit < BitCount() && cells_[static_cast<std::size_t>(bit)].reason == nullptr;
}

QRect BitStrip::CellRect(int bit) const {
    if (bit < 0 || bit >= BitCount()) return QRect();
    const int position = BitCount() - 1 - bit;  // from the left, most significant first
    const int row = position / kBitsPerRow;
    const int column = position % kBitsPerRow;
    const int x = column * kCellWidth + (column / 4) * kGroupGap;
    const int y = row * (kRowHeight + kRowGap) + kIndexHeight;
    return QRect(x, y, kCellWidth, kCellHeight);
}

int BitStrip::BitAt(QPoint point) const {
    for (int bit = 0; bit < BitCount(); ++bit) {
        if (CellRect(bit).contains(point)) return bit;
    }
    return -1;
}

QString BitStrip::Describe(int bit) const {
    const Cell& cell = cells_[static_cast<std::size_t>(bit)];
    QString text =
        QStringLiteral("bit %1 (%2): %3").arg(bit).arg(RoleName(cell.role)).arg(cell.one ? 1 : 0);
    if (cell.reason != nullptr) return text + u'\n' + QString::fromUtf8(cell.reason);
    return text + QStringLiteral("; click to flip it");
}

void BitStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const bool dark = Dark();
    const QColor muted = Colour(dark ? explain::kDarkMutedText : explain::kLightMutedText);
    QFont indexFont = font();
    indexFont.setPointSizeF(std::max(7.0, font().pointSizeF() * 0.8));
    QFont cellFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const auto fillOf = [dark](explain::BitRole role) {
        const explain::BitRoleColours& c = explain::kBitRoles[static_cast<int>(role)];
        return std::pair(Colour(dark ? c.darkFill : c.lightFill),
                         Colour(dark ? c.darkEdge : c.lightEdge));
    };

    if (cells_.empty()) {
        painter.setPen(muted);
        painter.drawText(QRect(0, 0, kStripWidth, kRowHeight), Qt::AlignCenter,
                         QStringLiteral("Type a pattern or a number to see its bits."));
    }
    for (int bit = BitCount() - 1; bit >= 0; --bit) {
        const Cell& cell = cells_[static_cast<std::size_t>(bit)];
        const QRect rect = CellRect(bit);
        const int position = BitCount() - 1 - bit;
        if (position % 4 == 0) {
            painter.setFont(indexFont);
            painter.setPen(muted);
            painter.drawText(
                QRect(rect.left(), rect.top() - kIndexHeight, 4 * kCellWidth, kIndexHeight),
                Qt::AlignLeft | Qt::AlignBottom, QString::number(bit));
        }
        auto [fill, edge] = fillOf(cell.role);
        QColor text = colours.color(QPalette::WindowText);
        if (cell.reason != nullptr) {
            const QColor window = colours.color(QPalette::Window);
            fill = Mix(fill, window);
            edge = Mix(edge, window);
            text = muted;
        }
        const bool focused = bit == current_ && hasFocus();
        if (focused) {
            // The cell the keyboard is on, in the highlight, inside a ring.
            fill = colours.color(QPalette::Highlight);
            edge = colours.color(QPalette::Highlight);
            text = colours.color(QPalette::HighlightedText);
        }
        painter.setPen(edge);
        painter.setBrush(fill);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setFont(cellFont);
        painter.setPen(text);
        painter.drawText(rect, Qt::AlignCenter,
                         cell.one ? QStringLiteral("1") : QStringLiteral("0"));
        if (focused) {
            painter.setPen(QPen(colours.color(QPalette::WindowText), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(-1, -1, 0, 0));
        }
    }

    // The legend: the roles this format has.
    painter.setFont(indexFont);
    int x = 0;
    const int y = RowsHeight(BitCount()) + 4;
    for (int role = 0; role < static_cast<int>(std::size(explain::kBitRoles)); ++role) {
        const auto r = static_cast<explain::BitRole>(role);
        const bool present = cells_.empty()
                                 ? r != explain::BitRole::Integer
                                 : std::any_of(cells_.begin(), cells_.end(),
                                               [r](const Cell& cell) { return cell.role == r; });
        if (!present) continue;
        const auto [fill, edge] = fillOf(r);
        painter.setPen(edge);
        painter.setBrush(fill);
        painter.drawRect(x, y + 2, 9, 9);
        painter.setPen(muted);
        const QString name = RoleName(r);
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
    const int count = BitCount();
    if (count == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (current_ < 0) current_ = count - 1;
    int next = current_;
    switch (event->key()) {
        case Qt::Key_Left:
            next = std::min(current_ + 1, count - 1);
            break;
        case Qt::Key_Right:
            next = std::max(current_ - 1, 0);
            break;
        case Qt::Key_Up:
            if (current_ + kBitsPerRow < count) next = current_ + kBitsPerRow;
            break;
        case Qt::Key_Down:
            if (current_ - kBitsPerRow >= 0) next = current_ - kBitsPerRow;
            break;
        case Qt::Key_Home:
            next = count - 1;
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
    if (event->type() == QEvent::FocusIn) {
        // Tab lands on the most significant bit, drawn as the keyboard's cell.
        if (current_ < 0 && BitCount() > 0) current_ = BitCount() - 1;
        update();
    }
    if (event->type() == QEvent::FocusOut) update();
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
    bits_->SetOnFlip(
        [this](int bit) { Enter(explanation_.bits[static_cast<std::size_t>(bit)].entry); });
    layout->addWidget(bits_);

    auto* buttons = new QHBoxLayout;
    nextDown_ = new QPushButton(QStringLiteral("Next down"), this);
    nextUp_ = new QPushButton(QStringLiteral("Next up"), this);
    nextDown_->setToolTip(QStringLiteral("The next lower number of the format"));
    nextUp_->setToolTip(QStringLiteral("The next higher number of the format"));
    connect(nextDown_, &QPushButton::clicked, this, [this] {
        if (explanation_.nextDownEntry) Enter(*explanation_.nextDownEntry);
    });
    connect(nextUp_, &QPushButton::clicked, this, [this] {
        if (explanation_.nextUpEntry) Enter(*explanation_.nextUpEntry);
    });
    buttons->addWidget(nextDown_);
    buttons->addWidget(nextUp_);
    buttons->addStretch();
    layout->addLayout(buttons);

    notes_ = new QLabel(this);
    notes_->setWordWrap(true);
    notes_->setTextFormat(Qt::PlainText);
    notes_->hide();
    layout->addWidget(notes_);

    // The explanation's lines, and the number in the other formats.
    tabs_ = new QTabWidget(this);
    tabs_->setFocusPolicy(Qt::NoFocus);  // its tab bar takes the focus
    tabs_->tabBar()->setFocusPolicy(Qt::TabFocus);
    lines_ = LinesBox(tabs_, QStringLiteral("Explanation"));
    tabs_->addTab(lines_, QStringLiteral("Explanation"));
    auto* other = new QWidget(tabs_);
    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->setContentsMargins(4, 4, 4, 4);
    formats_ = new QTableWidget(0, 3, other);
    formats_->setHorizontalHeaderLabels(
        {QStringLiteral("format"), QStringLiteral("pattern"), QStringLiteral("shortest")});
    formats_->verticalHeader()->hide();
    formats_->horizontalHeader()->setStretchLastSection(true);
    formats_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    formats_->setSelectionBehavior(QAbstractItemView::SelectRows);
    formats_->setSelectionMode(QAbstractItemView::SingleSelection);
    formats_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    formats_->verticalHeader()->setDefaultSectionSize(formats_->fontMetrics().height() + 4);
    formats_->setAccessibleName(QStringLiteral("The number in every format"));
    otherLayout->addWidget(formats_, 1);
    auto* chooserRow = new QHBoxLayout;
    auto* chooserLabel = new QLabel(QStringLiteral("Explain in:"), other);
    chooser_ = new QComboBox(other);
    for (const explain::FloatFormat& format : explain::RegisteredFormats())
        chooser_->addItem(QString::fromLatin1(format.name));
    chooserLabel->setBuddy(chooser_);
    chooserRow->addWidget(chooserLabel);
    chooserRow->addWidget(chooser_);
    chooserRow->addStretch();
    otherLayout->addLayout(chooserRow);
    formatLines_ = LinesBox(other, QStringLiteral("Explanation in the format chosen"));
    otherLayout->addWidget(formatLines_, 1);
    tabs_->addTab(other, QStringLiteral("In other formats"));
    layout->addWidget(tabs_, 1);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { UpdateOtherFormats(); });
    connect(chooser_, &QComboBox::currentIndexChanged, this, [this] { ExplainChosenFormat(); });
    connect(formats_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) chooser_->setCurrentIndex(row);
    });

    ShowNothing();
}

QSize DetailsPanel::PreferredSize() const {
    const QFontMetrics metrics(lines_->font());
    const int frame =
        2 * lines_->frameWidth() + 2 * static_cast<int>(lines_->document()->documentMargin()) + 8;
    const int linesWidth =
        metrics.horizontalAdvance(QLatin1Char('0')) * (kLabelColumns + kTextColumns + 2) + frame +
        lines_->verticalScrollBar()->sizeHint().width();
    const int linesHeight = metrics.lineSpacing() * kOpeningLineCount + frame;
    const QSize least = minimumSizeHint();
    return QSize(std::max(least.width(), linesWidth),
                 least.height() - lines_->minimumHeight() + linesHeight);
}

void DetailsPanel::ShowNothing() {
    shown_ = false;
    lines_->clear();
    formats_->setRowCount(0);
    formatLines_->clear();
    lines_->setPlaceholderText(
        QStringLiteral("Type a bit pattern or a number above: how it is stored shows here."));
    Update();
}

void DetailsPanel::ShowExplanation(const explain::Explanation& explanation) {
    shown_ = true;
    explanation_ = explanation;
    if (treatAsDouble_ != (explanation_.option == FormatOption::TreatAsDouble))
        explain::SetEntries(explanation_, treatAsDouble_);

    FillLines(lines_, explanation_.lines);
    otherFormatsCurrent_ = false;
    UpdateOtherFormats();
    Update();
}

void DetailsPanel::UpdateOtherFormats() {
    if (!shown_ || otherFormatsCurrent_ || tabs_->currentIndex() != 1) return;
    otherFormatsCurrent_ = true;
    const std::vector<explain::FormatRow> rows = explain::InEveryFormat(explanation_);
    formats_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        formats_->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(rows[i].format.name)));
        formats_->setItem(row, 1, new QTableWidgetItem(Latin1(rows[i].pattern)));
        formats_->setItem(row, 2, new QTableWidgetItem(Latin1(rows[i].shortest)));
    }
    formats_->resizeColumnsToContents();
    ExplainChosenFormat();
}

void DetailsPanel::ExplainChosenFormat() {
    if (!shown_) {
        formatLines_->clear();
        return;
    }
    explain::FormatChoice choice;
    choice.format = explain::RegisteredFormats()[static_cast<std::size_t>(
        std::max(0, chooser_->currentIndex()))];
    explain::Explanation inFormat;
    explain::ExplainNumberInFormat(explain::NumberOf(explanation_),
                                   explain::NumberTextOf(explanation_), choice, inFormat);
    FillLines(formatLines_, inFormat.lines);
}

std::vector<std::pair<QString, QString>> DetailsPanel::ShownLines() const {
    return LinesShownIn(lines_);
}

std::vector<std::pair<QString, QString>> DetailsPanel::ShownFormatLines() const {
    return LinesShownIn(formatLines_);
}

void DetailsPanel::SetTreatAsDouble(bool treatAsDouble) {
    if (treatAsDouble == treatAsDouble_) return;
    treatAsDouble_ = treatAsDouble;
    if (shown_) explain::SetEntries(explanation_, treatAsDouble_);
    Update();
}

void DetailsPanel::Update() {
    const QSize least = minimumSizeHint();
    if (!shown_) {
        bits_->Clear();
        nextDown_->setEnabled(false);
        nextUp_->setEnabled(false);
        notes_->hide();
    } else {
        bits_->SetBits(explanation_);
        const auto enterable = [](const explain::Nullable<explain::Entry>& entry) {
            return entry && entry->field != explain::EntryField::None;
        };
        nextDown_->setEnabled(enterable(explanation_.nextDownEntry));
        nextUp_->setEnabled(enterable(explanation_.nextUpEntry));

        // The notes on what was read, then why some bits cannot be entered.
        QStringList notes;
        for (std::size_t i = 0; i < explanation_.notes.size(); ++i)
            notes << Utf8(explanation_.notes[i]);
        for (const explain::BitEntry& bit : explanation_.bits) {
            const char* reason = bit.entry.reason;
            if (reason != nullptr && !notes.contains(QString::fromUtf8(reason)))
                notes << QString::fromUtf8(reason);
        }
        notes_->setText(notes.join(u'\n'));
        notes_->setVisible(!notes.isEmpty());
    }
    if (minimumSizeHint() != least && onLeastSizeChanged_) onLeastSizeChanged_();
}

void DetailsPanel::Enter(const explain::Entry& entry) {
    if (entry.field != explain::EntryField::None && onEnter_) onEnter_(entry);
}

}  // namespace zelquin::qt
