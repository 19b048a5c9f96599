// What converting a file would do, found in one pass without writing: how
// many bytes change, come back other on the way back, or are dropped; its
// line ends; and whether it looks like no 8-bit text at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace falvori {

enum class Looks { Text, Utf8, Utf16, Binary };

struct SurveyReport {
    std::uint64_t size = 0;
    std::uint64_t changed = 0;  // written as another byte
    std::uint64_t inexact = 0;  // kept, but the other table does not bring them back
    std::uint64_t dropped = 0;  // an entry of 0
    std::optional<std::uint64_t> firstInexact;  // offset of the first inexact byte
    std::uint8_t firstInexactValue = 0;
    std::uint64_t crLf = 0, cr = 0, lf = 0;  // CR LF pairs, lone CRs, lone LFs
    Looks looks = Looks::Text;
};

class Survey {
public:
    using Table = std::array<std::int16_t, 256>;

    // `to` is the table of the conversion, `back` the one of the other way.
    Survey(const Table& to, const Table& back);

    // The file's bytes in order, in pieces of any size.
    void Add(const std::uint8_t* data, std::size_t size);
    SurveyReport Report() const;

    // What is counted of each byte: the table's verdict, then what the
    // line ends and the warnings need.
    enum Kind { kChanged, kInexact, kDropped, kCr, kLf, kNul, kHigh, kCrLf, kKinds };
    using Counts = std::array<std::uint64_t, kKinds>;

private:
    void Piece(const std::uint8_t* data, std::uint32_t size);
    Counts CountScalar(const std::uint8_t* data, std::uint32_t size) const;
    void ValidateUtf8(const std::uint8_t* data, std::size_t size);

    std::array<std::uint8_t, 256> kinds_{};  // bits 1 << kChanged, kInexact, kDropped
    // The vector loop looks up the upper half only: every other byte but
    // NUL, LF and CR must be of no kind, as in a table that keeps ASCII.
    bool plainAscii_ = false;
    Counts totals_{};
    std::uint64_t size_ = 0;
    std::optional<std::uint64_t> firstInexact_;
    std::uint8_t firstInexactValue_ = 0;
    bool lastWasCr_ = false;
    std::array<std::uint8_t, 2> head_{};  // the first two bytes, for a byte-order mark
    std::uint64_t nulEven_ = 0, nulOdd_ = 0;
    // UTF-8: continuation bytes still due, and the range the next one must lie in.
    bool utf8Broken_ = false, utf8Seen_ = false;
    int utf8Due_ = 0;
    std::uint8_t utf8Low_ = 0x80, utf8High_ = 0xBF;
};

}  // namespace falvori
