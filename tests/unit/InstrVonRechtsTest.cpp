#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/InstrVonRechts.h"

namespace falvori::test {
namespace {

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(InstrVonRechts, SampleTexts) {
    const struct {
        std::string searched;
        std::string sought;
        short position;
    } cases[] = {
        {"a\\b\\c", "\\", 4},
        {"abab", "ab", 3},
        {"abc", "x", 0},
        {"", "\\", 0},
        {"abc", "", 3},
        {"aXa", "x", 0},  // case-sensitive
        {"", "", 0},
        {"c:\\texte\\brief.txt", "\\", 9},
        {"c:\\brief.txt", "\\", 3},
        {"\\", "\\", 1},
        {"aaa", "aa", 2},      // overlapping: the later start wins
        {"ab", "abc", 0},      // longer than the text
        {"xabc", "abc", 2},    // match ending at the last character
        {"abcab", "abc", 1},   // a partial match at the end is passed over
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstrVonRechts(c.searched, c.sought), c.position)
            << '"' << c.searched << "\" / \"" << c.sought << '"';
        // The window passes wide texts.
        EXPECT_EQ(InstrVonRechts(Widen(c.searched), Widen(c.sought)), c.position) << c.searched;
    }
}

TEST(InstrVonRechts, PositionsUpTo32767FitBeyondIsAnOverflow) {
    const struct {
        std::size_t length;
        std::size_t matchAt;  // 1-based; 0: the text holds no match
        bool fits;
    } cases[] = {
        {32767, 32767, true},
        {40000, 32767, true},  // a long text whose last match still fits
        {40000, 0, true},      // no match in a long text: 0
        {32768, 32768, false},
        {70000, 65537, false},  // must not wrap round to a small position
    };
    for (const auto& c : cases) {
        std::wstring text(c.length, L'a');
        if (c.matchAt) text[c.matchAt - 1] = L'\\';
        if (c.fits) {
            EXPECT_EQ(InstrVonRechts(text, std::wstring(L"\\")), static_cast<short>(c.matchAt))
                << c.length << '/' << c.matchAt;
        } else {
            EXPECT_THROW(InstrVonRechts(text, std::wstring(L"\\")), std::overflow_error)
                << c.length << '/' << c.matchAt;
        }
    }
    // An empty sought text matches at the text's length.
    EXPECT_THROW(InstrVonRechts(std::string(32768, 'a'), std::string()), std::overflow_error);
}

}  // namespace
}  // namespace falvori::test
