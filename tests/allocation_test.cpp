// The conversions use no heap storage of their own: digit generation and
// decimal reading allocate nothing, and each text-returning conversion
// allocates at most the one block of the text it returns.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "binary_format.h"
#include "conversion.h"
#include "decimal_reading.h"
#include "digit_generation.h"

// The replacements below pair operator new with free() on purpose; GCC sees
// the pairing once they are inlined into the tests and warns.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<long> allocationCount{0};
}  // namespace

// Every allocation of this test program passes through here.
void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zelquin {
namespace {

template <typename F>
long AllocationsDuring(F&& f) {
    const long before = allocationCount.load();
    f();
    return allocationCount.load() - before;
}

const std::uint64_t kValues[] = {
    0x0000000000000000u, 0x0000000000000001u, 0x3FF0000000000000u, 0x43118B54F22AEB03u,
    0xFFEFFFFFFFFFFFFFu, 0x7FF0000000000000u, 0xFFF8000000000000u, 0x3EB92A737110E454u,
};

const std::u16string kValueTexts[] = {
    u"",
    u"1",
    u"-1.5E-3",
    u"   .25e+2xyz",
    u"8997742649981799375319e-7",
    u"1000000000000000000000000001",
    u"1e-400",
    u"2.2250738585072014e-308",
    std::u16string(199, u'9'),
};

TEST(NoHeapUse, TheCounterSeesAllocations) {
    EXPECT_EQ(AllocationsDuring([] { std::u16string text(100, u'x'); }), 1);
    EXPECT_EQ(AllocationsDuring([] { (void)DoubleToFixedText(0xFFEFFFFFFFFFFFFFu); }), 1);
}

TEST(NoHeapUse, DigitGenerationAndDecimalReadingAllocateNothing) {
    for (std::uint64_t v : kValues) {
        EXPECT_EQ(AllocationsDuring([&] { (void)DoubleToDigits(v); }), 0);
        EXPECT_EQ(AllocationsDuring([&] { (void)DoubleToSingle(v); }), 0);
    }
    for (const std::u16string& text : kValueTexts) {
        EXPECT_EQ(AllocationsDuring([&] { (void)TextToDouble(text); }), 0);
        EXPECT_EQ(AllocationsDuring([&] {
                      (void)ReadValueText(text, FormatOption::Binary32);
                      (void)ReadPatternText(text, FormatOption::Binary32);
                  }),
                  0);
    }
}

TEST(NoHeapUse, BufferFormsAllocateNothing) {
    char16_t out[kLongestValueText];
    for (std::uint64_t v : kValues) {
        EXPECT_EQ(AllocationsDuring([&] { (void)DoubleToFixedText(v, out); }), 0);
        EXPECT_EQ(AllocationsDuring([&] { (void)UInt64ToHexText(v, out); }), 0);
        EXPECT_EQ(
            AllocationsDuring([&] { (void)UInt32ToHexText(static_cast<std::uint32_t>(v), out); }),
            0);
    }
    for (const std::u16string& text : kValueTexts) {
        for (const FormatOption option :
             {FormatOption::Binary32, FormatOption::TreatAsDouble, FormatOption::Binary64}) {
            EXPECT_EQ(AllocationsDuring([&] { (void)ValueToPatternText(text, option, out); }), 0);
            EXPECT_EQ(AllocationsDuring([&] { (void)PatternToValueText(text, option, out); }), 0);
        }
    }
}

TEST(NoHeapUse, ConversionsAllocateOnlyTheReturnedText) {
    for (std::uint64_t v : kValues) {
        EXPECT_LE(AllocationsDuring([&] { (void)DoubleToFixedText(v); }), 1);
        EXPECT_LE(AllocationsDuring([&] { (void)UInt64ToHexText(v); }), 1);
        EXPECT_LE(AllocationsDuring([&] { (void)UInt32ToHexText(static_cast<std::uint32_t>(v)); }),
                  1);
    }
    for (const std::u16string& text : kValueTexts) {
        for (const FormatOption option : {FormatOption::Binary32, FormatOption::TreatAsDouble}) {
            EXPECT_LE(AllocationsDuring([&] { (void)ValueToPatternText(text, option); }), 1);
            EXPECT_LE(AllocationsDuring([&] { (void)PatternToValueText(text, option); }), 1);
        }
        EXPECT_LE(AllocationsDuring([&] {
                      (void)PatternToValueText(u"0xffefffffffffffff", FormatOption::Binary32);
                  }),
                  1);
    }
}

}  // namespace
}  // namespace zelquin
