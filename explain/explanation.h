// What a conversion chose and what number it stores, as a plain record, and
// everything a view shows of it: the lines of the explanation, the notes on
// what was read, and for each bit and neighbour which field can take it. The
// record's two written forms are the text block of zelquin-convert --explain
// and one JSON object. Free of I/O and of platform code, so that every front
// end (the command-line program, the browser page, the window) shows the same
// explanation in the same words and only draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bit_roles.h"
#include "conversion.h"
#include "exact_decimal.h"
#include "format_rounding.h"
#include "formats.h"
#include "typed_number.h"

namespace zelquin::explain {

enum class Command { Pattern, Value };

// The conversion of a text (its first kFieldUnitsConverted units, as the
// caller cuts it): the pattern command gives a value text, the value command a
// pattern text. Writes into out, which holds kLongestValueText units, and
// returns one past the last unit written.
char16_t* ConvertText(Command command, FormatOption option, std::u16string_view text,
                      char16_t* out);

// A pattern, written with every hexadecimal digit of its width ("0x3dcccccd"):
// its low 64 bits, and those above for the formats wider than 64 bits.
struct Hex {
    std::uint64_t bits = 0;
    int bitCount = 0;
    std::uint64_t high = 0;
};

// An integer as the pattern field shows one: "0", or "0x" and its digits
// (the bits above 64 for the widest formats' patterns).
struct Integer {
    std::uint64_t value = 0;
    std::uint64_t high = 0;
};

// A member that may be absent (null in JSON). Unlike std::optional it keeps
// its value, and so a string's storage, while absent: a record used again
// allocates nothing once its strings are long enough.
template <typename T>
struct Nullable {
    bool present = false;
    T value{};

    explicit operator bool() const { return present; }
    const T& operator*() const { return value; }
    const T* operator->() const { return &value; }
    void Set(const T& v) {
        present = true;
        value = v;
    }
};

// Texts end to end in one string, for the same reason: the notes, the
// reading rules of a difference, the texts of the lines.
class TextList {
  public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(buffer_).substr(start, ends_[i] - start);
    }
    void clear() {
        buffer_.clear();
        ends_.clear();
    }
    // A new text is appended to Open() and ended by Close().
    std::string& Open() { return buffer_; }
    void Close() { ends_.push_back(buffer_.size()); }
    void Add(std::string_view text) {
        buffer_ += text;
        Close();
    }
    // All texts' lengths together.
    std::size_t Length() const { return buffer_.size(); }

  private:
    std::string buffer_;
    std::vector<std::size_t> ends_;
};

// The lines of the explanation, in the order every view shows them: a label
// ("exact") and its text.
struct Lines {
    std::vector<std::string_view> labels;
    TextList texts;

    std::size_t size() const { return labels.size(); }
    void clear() {
        labels.clear();
        texts.clear();
    }
};

// Where the window's or the page's fields take a number of the shown format,
// for a flipped bit or a neighbour: the pattern field's text, or with
// "Treat as 'double'" set a decimal for the Float field that reads as exactly
// that binary64; or neither, and why.
enum class EntryField : std::uint8_t { None, Pattern, Value };

// The longest text an entry holds: a decimal of 25 significant digits with
// its sign, point and exponent.
inline constexpr std::size_t kLongestEntryText = 40;

struct Entry {
    EntryField field = EntryField::None;
    std::uint8_t length = 0;
    char text[kLongestEntryText] = {};  // ASCII
    const char* reason = nullptr;       // a sentence, where field is None

    std::string_view Text() const { return std::string_view(text, length); }
};

struct BitEntry {
    BitRole role = BitRole::Fraction;
    Entry entry;  // the pattern with this bit flipped
};

// The numbers that read back to the pattern stored, rounding to nearest with
// ties to even: from lower to upper, each end included or not; an end is
// absent (null) where the interval goes on to an infinity.
struct Interval {
    Nullable<std::string> lower;
    bool lowerIncluded = false;
    Nullable<std::string> upper;
    bool upperIncluded = false;
};

// A landmark of the format: its name ("largest finite"), its pattern and
// its exact value (none for an infinity or a NaN).
struct LandmarkEntry {
    std::string_view name;
    Hex hex;
    Nullable<std::string> value;
};

// The chain of roundings of --via: the pattern each format on the way stores,
// the pattern of rounding once instead, and whether the chain's differs.
struct ViaSteps {
    TextList steps;
    Hex once;
    bool differs = false;
};

// The format a text is converted in when it is not binary32 or binary64 by
// Zelquin's own rules: the layout, how a value is rounded to it and what
// becomes of an overflow, and the formats it is rounded to first.
struct FormatChoice {
    FloatFormat format{};
    RoundingMode rounding = RoundingMode::NearestEven;
    OverflowPolicy overflow = OverflowPolicy::Ieee;
    std::vector<FloatFormat> via;
};

// How a text was read, what it gives and what the views show of it. The
// members are listed once, in explanation_members.h, in the order of the
// JSON object; the members that belong to one command only are null (or
// false) for the other.
struct Explanation {
    Command command = Command::Pattern;
    std::u16string text;        // what was converted: at most the first 199 units
    std::size_t textUnits = 0;  // units in the whole text
    std::string result;         // the conversion's result text (ASCII)

    // The number stored, described: its format's layout (one of the
    // registry's), its bits after quieting, its fields and class.
    FloatFormat layout{};
    Hex hex;
    int sign = 0;
    int exponentField = 0;
    Hex fraction;
    FormatClass numberClass = FormatClass::Zero;
    Nullable<int> exponent;       // unbiased, for finite non-zero numbers
    Nullable<std::string> exact;  // every digit, for a finite number

    // The pattern command: the integer read. The value command: the number
    // typed, every digit, and typed minus exact.
    Nullable<Integer> integer;
    Nullable<std::string> typed;
    Nullable<std::string> difference;

    // Notes on the reading.
    bool truncated = false;         // textUnits exceeds what was converted
    bool noNumber = false;          // the text holds no number: it reads as 0
    bool textAfterIgnored = false;  // text after the number is ignored
    bool overflowed = false;        // the digits exceed 2^64 - 1: all ones
    bool wrapped = false;           // a negative number, negated modulo 2^64
    Nullable<Hex> quietedFrom;      // a signalling NaN made quiet
    Nullable<Hex> narrowedFrom;     // the binary64 narrowed to binary32

    // What a correctly rounding reader and writer make of it: the shortest
    // decimal that reads back ("0.1", "-0", "NaN"); for the value command the
    // pattern such a reader stores for the number typed, whether it differs
    // from Zelquin's, and the rules of Zelquin's reader that made the
    // difference: the first after which the number no longer rounds to the
    // nearest pattern, then the others without which the difference would
    // remain.
    std::string shortest;
    Nullable<Hex> nearest;
    Nullable<bool> nearestDiffers;
    Nullable<std::string> differsBecause;
    // For a finite number of the value command: the difference in units in
    // the last place of the stored number ("-0.20", "+0.50", "0").
    Nullable<std::string> ulps;
    // The neighbouring patterns of the format (none for a NaN, above
    // +infinity and below -infinity).
    Nullable<Hex> nextUp;
    Nullable<Hex> nextDown;
    // A finite number's significand, exactly: 1 plus the fraction for a
    // normal number, the fraction alone otherwise.
    Nullable<std::string> significand;
    Nullable<TextList> differsAlsoBecause;

    // What every view shows: the notes as sentences, the lines, and for each
    // bit (index 0 the least significant) and each neighbour where the
    // fields take it, under the check box as it was for the conversion.
    TextList notes;
    Lines lines;
    std::vector<BitEntry> bits;
    Nullable<Entry> nextUpEntry;
    Nullable<Entry> nextDownEntry;
    Nullable<Entry> nearestEntry;        // the value command's nearest pattern
    std::vector<Entry> landmarkEntries;  // the landmarks', in their order

    // Of every format: the number as a hexadecimal float ("0x1.99999ap-4"),
    // the numbers that read back to it, and the format's landmarks. Of the
    // formats other than Zelquin's binary32 and binary64: the rounding mode,
    // the overflow policy ("ieee", "saturate") and the chain of --via.
    Nullable<std::string> hexFloat;
    Nullable<Interval> interval;
    Nullable<std::string> rounding;
    Nullable<std::string> overflow;
    Nullable<TextList> via;
    Nullable<ViaSteps> viaResult;
    const std::vector<LandmarkEntry>* landmarks = nullptr;  // the format's, kept for the process

    // The workings, not written: binary32 or binary64 under Zelquin's rules
    // (null for the other formats), the option, how the pattern command chose
    // the format, and the numbers behind exact, typed and difference.
    const BinaryFormat* format = &kBinary32;
    FormatOption option = FormatOption::Binary32;
    bool refused = false;      // a pattern wider than its format: not converted, a note says why
    bool wideInteger = false;  // above 0xffffffff, so read as a binary64
    std::uint64_t binary64Bits = 0;      // the value command's binary64
    const char* noDifference = nullptr;  // why there is none: "the stored number is infinite"
    Decimal exactValue;
    TypedDecimal typedValue;
    Decimal differenceValue;
};

// The record for a text of the pattern or the value field. `text` is what is
// converted (at most the first 199 units), `textUnits` the length of the whole
// text.
Explanation ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option);
Explanation ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option);
Explanation Explain(Command command, std::u16string_view text, std::size_t textUnits,
                    FormatOption option);
// The same into a record that is used again: its strings keep their storage,
// so that explaining text after text allocates nothing once they are long
// enough. A view that shows the lines and notes alone, such as the text
// block, can leave out the rest (the entries of the bits and the neighbours,
// and for binary32 and binary64 the hexadecimal float, the interval and the
// landmarks), which takes most of the time.
enum class Parts { All, Lines };
void Explain(Command command, std::u16string_view text, std::size_t textUnits, FormatOption option,
             Explanation& out, Parts parts = Parts::All);

// The record for a text converted in another format than Zelquin's binary32
// and binary64: the pattern text read as an integer of the format's width (a
// wider one is refused: the record's `refused` is set and a note says why),
// the value text read exactly and rounded once, or through the chain of
// `via`, as the choice says. The result of the pattern command is the
// shortest decimal that reads back, that of the value command the pattern
// with every hexadecimal digit.
void ExplainInFormat(Command command, std::u16string_view text, std::size_t textUnits,
                     const FormatChoice& choice, Explanation& out);
Explanation ExplainInFormat(Command command, std::u16string_view text, std::size_t textUnits,
                            const FormatChoice& choice);
// The record of a number rounded to a format, as the value command makes it
// for a text that writes the number; `typed` names it in the lines.
void ExplainNumberInFormat(const ExactNumber& number, std::string_view typed,
                           const FormatChoice& choice, Explanation& out);
// The number an explanation is of, for showing it in other formats: the
// number typed (value) or the number stored (pattern), exactly, and as the
// lines name it.
ExactNumber NumberOf(const Explanation& explanation);
std::string NumberTextOf(const Explanation& explanation);

// That number in every format of the registry, rounded to nearest with ties
// to even: each format's pattern ("none" for a NaN in a format without NaNs)
// and the shortest text that reads back to it.
struct FormatRow {
    FloatFormat format{};
    std::string pattern;
    std::string shortest;
};
std::vector<FormatRow> InEveryFormat(const Explanation& explanation);

// The conversion alone: the result text, or an empty one and the reason for
// a refused pattern.
std::string ConvertInFormat(Command command, std::u16string_view text, const FormatChoice& choice,
                            std::string& refusal);

// The entries of the bits and the neighbours again, for the check box as it is
// now: it can change after the conversion, and a view enters the next number
// under its new state. In the other formats every pattern goes into the
// pattern field.
void SetEntries(Explanation& explanation, bool treatAsDouble);
// The entry of one number of the explanation's format.
Entry EntryFor(std::uint64_t bits, const BinaryFormat& format, bool treatAsDouble);

// A decimal that the value field, with "Treat as 'double'" set, reads as
// exactly this binary64, for a view that enters a number it cannot put into
// the pattern field (whose low half that box leaves at zero): the shortest
// text that a correctly rounding reader reads back, or else the stored value
// rounded to 17 and then to 25 significant digits, written as the shortest
// text is. Empty for an infinity or a NaN, and where the value reader's own
// rules give another pattern for each of these.
std::string ValueTextFor(std::uint64_t binary64Bits);

// The class of a binary32 or binary64 as the explanations name it.
FormatClass ClassOf(NumberClass numberClass);
const char* CommandName(Command command);
std::string_view EntryFieldName(EntryField field);  // "pattern", "value", or empty for none

// The integer as the pattern field shows one: "0", or "0x" and its digits.
std::string IntegerHex(std::uint64_t integer);
// "0x" and every hexadecimal digit of the format's width.
std::string FullHex(std::uint64_t bits, int bitCount);

// The --explain block: the lines, each indented by two spaces with its label
// padded to twelve, then an empty line.
std::string ExplanationText(const Explanation& explanation);
void AppendExplanationText(const Explanation& explanation, std::string& out);
// The block given in place of an explanation for a text that is not converted.
std::string NotConvertedText(std::string_view reason);

// One JSON object on one line, without a line end.
std::string ExplanationJson(const Explanation& explanation);
void AppendExplanationJson(const Explanation& explanation, std::string& out);
// The bytes that the object of this record can take at most: the writer
// writes into room of that size.
std::size_t ExplanationJsonRoom(const Explanation& explanation);
// The entries alone, as one JSON object
// {"bits":[...],"nextUpEntry":...,"nextDownEntry":...,"nearestEntry":...}.
std::string EntriesJson(const Explanation& explanation);
std::string NotConvertedJson(Command command, std::string_view reason);

// UTF-16 units as UTF-8; a unit of a surrogate pair without its partner gives
// U+FFFD.
std::string Utf8FromUtf16(std::u16string_view units);
void AppendUtf8FromUtf16(std::u16string_view units, std::string& out);

}  // namespace zelquin::explain
