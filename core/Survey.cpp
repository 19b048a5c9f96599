#include "core/Survey.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/ByteMap.h"
#include "core/Core.h"
#include "core/Guard.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
// A vector loop where the processor has AVX2, asked at run time. Only the
// Linux program checks files; on Windows the build would need ByteMap's
// unaligned spills.
#define FALVORI_SURVEY_AVX2 1
#include <immintrin.h>
#endif

namespace falvori {

namespace {

constexpr std::uint8_t Bit(Survey::Kind kind) { return static_cast<std::uint8_t>(1u << kind); }

const std::uint8_t* Find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t c) {
    return static_cast<const std::uint8_t*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

#ifdef FALVORI_SURVEY_AVX2

__attribute__((target("avx2"))) inline std::uint32_t Mask(__m256i v) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

// The counts of data[0..size) for a table whose ASCII half is plain: the
// upper half through 8 lookups of 16 entries by the low four bits, of which
// the next three bits choose; NUL, LF and CR compared. Each kind becomes a
// bit mask of the 32 bytes, and is counted as such.
__attribute__((target("avx2,popcnt"))) Survey::Counts CountAvx2(const std::uint8_t* kinds, const std::uint8_t* data,
                                                               std::size_t size) {
    // Changed, inexact and dropped in the top three bits, where a shift
    // brings each to the bit that movemask takes.
    alignas(16) std::uint8_t top[128];
    for (int b = 0; b < 128; ++b) top[b] = static_cast<std::uint8_t>(kinds[128 + b] << 5);
    __m256i rows[8];
    for (int r = 0; r < 8; ++r)
        rows[r] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(top + 16 * r)));
    const __m256i nibble = _mm256_set1_epi8(0x0F), zero = _mm256_setzero_si256();
    Survey::Counts counts{};
    std::uint32_t carry = 0;  // a CR ended the last 32 bytes
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i lo = _mm256_and_si256(x, nibble);
        __m256i k[8];
        for (int r = 0; r < 8; ++r) k[r] = _mm256_shuffle_epi8(rows[r], lo);
        // blendv takes the top bit of each byte: bits 4, 5, 6 shifted there.
        for (int bit = 4, n = 8; bit < 7; ++bit, n /= 2) {
            const __m256i choose = _mm256_slli_epi16(x, 7 - bit);
            for (int r = 0; r < n / 2; ++r) k[r] = _mm256_blendv_epi8(k[2 * r], k[2 * r + 1], choose);
        }
        const __m256i kind = _mm256_blendv_epi8(zero, k[0], x);  // ASCII is of no kind
        const std::uint32_t nuls = Mask(_mm256_cmpeq_epi8(x, zero));
        const std::uint32_t crs = Mask(_mm256_cmpeq_epi8(x, _mm256_set1_epi8('\r')));
        const std::uint32_t lfs = Mask(_mm256_cmpeq_epi8(x, _mm256_set1_epi8('\n')));
        const std::uint32_t masks[Survey::kKinds] = {
            Mask(_mm256_slli_epi16(kind, 2 - Survey::kChanged)), Mask(_mm256_slli_epi16(kind, 2 - Survey::kInexact)),
            nuls | Mask(_mm256_slli_epi16(kind, 2 - Survey::kDropped)), crs, lfs, nuls, Mask(x),
            (crs & (lfs >> 1)) | (carry & lfs & 1)};
        for (int kind = 0; kind < Survey::kKinds; ++kind) counts[kind] += static_cast<std::uint64_t>(_mm_popcnt_u32(masks[kind]));
        carry = crs >> 31;
    }
    for (; i < size; ++i) {
        const std::uint8_t c = data[i];
        for (int kind = 0; kind < 3; ++kind) counts[kind] += (kinds[c] >> kind) & 1;
        counts[Survey::kCr] += c == '\r';
        counts[Survey::kLf] += c == '\n';
        counts[Survey::kNul] += c == 0;
        counts[Survey::kHigh] += c >= 0x80;
        counts[Survey::kCrLf] += c == '\n' && (i > 0 ? data[i - 1] == '\r' : carry);
    }
    return counts;
}

#endif

}  // namespace

Survey::Survey(const Table& to, const Table& back) {
    for (int b = 0; b < 256; ++b) {
        const int entry = to[b];
        if (entry == 0) {
            kinds_[b] = Bit(kDropped);
        } else if (entry < 0 || entry > 255) {
            kinds_[b] = Bit(kChanged) | Bit(kInexact);  // no byte at all: the conversion would stop there
        } else {
            kinds_[b] = static_cast<std::uint8_t>((entry != b ? Bit(kChanged) : 0) | (back[entry] != b ? Bit(kInexact) : 0));
        }
    }
    plainAscii_ = kinds_[0] == Bit(kDropped);
    for (int b = 1; b < 128; ++b) plainAscii_ = plainAscii_ && kinds_[b] == 0;
}

void Survey::Add(const std::uint8_t* data, std::size_t size) {
    // Pieces small enough for 32-bit counters.
    constexpr std::size_t kPiece = 1 << 20;
    while (size > 0) {
        const std::size_t n = std::min(size, kPiece);
        Piece(data, static_cast<std::uint32_t>(n));
        data += n;
        size -= n;
    }
}

Survey::Counts Survey::CountScalar(const std::uint8_t* data, std::uint32_t size) const {
    // Four tables keep the increments of neighbouring bytes independent.
    std::array<std::array<std::uint32_t, 256>, 4> lanes{};
    std::uint32_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++lanes[0][data[i]];
        ++lanes[1][data[i + 1]];
        ++lanes[2][data[i + 2]];
        ++lanes[3][data[i + 3]];
    }
    for (; i < size; ++i) ++lanes[0][data[i]];
    Counts counts{};
    for (int b = 0; b < 256; ++b) {
        const std::uint64_t n = lanes[0][b] + lanes[1][b] + lanes[2][b] + lanes[3][b];
        for (int kind = 0; kind < 3; ++kind) counts[kind] += (kinds_[b] >> kind) & 1 ? n : 0;
        if (b >= 0x80) counts[kHigh] += n;
    }
    counts[kCr] = lanes[0]['\r'] + lanes[1]['\r'] + lanes[2]['\r'] + lanes[3]['\r'];
    counts[kLf] = lanes[0]['\n'] + lanes[1]['\n'] + lanes[2]['\n'] + lanes[3]['\n'];
    counts[kNul] = lanes[0][0] + lanes[1][0] + lanes[2][0] + lanes[3][0];
    if (counts[kCr] && counts[kLf]) {
        const std::uint8_t* end = data + size;
        for (const std::uint8_t* at = data; (at = Find(at, end, '\r')); ++at)
            if (at + 1 < end && at[1] == '\n') ++counts[kCrLf];
    }
    return counts;
}

void Survey::Piece(const std::uint8_t* data, std::uint32_t size) {
#ifdef FALVORI_SURVEY_AVX2
    Counts counts = plainAscii_ && ByteMap::Supported(ByteMap::Kernel::Avx2) ? CountAvx2(kinds_.data(), data, size)
                                                                             : CountScalar(data, size);
#else
    Counts counts = CountScalar(data, size);
#endif
    // A CR LF split between two pieces.
    if (lastWasCr_ && data[0] == '\n') ++counts[kCrLf];
    for (int kind = 0; kind < kKinds; ++kind) totals_[kind] += counts[kind];

    // Only what this piece holds is looked for in it.
    const std::uint8_t* end = data + size;
    if (counts[kInexact] && !firstInexact_) {
        const std::uint8_t* at = std::find_if(data, end, [this](std::uint8_t c) { return kinds_[c] & Bit(kInexact); });
        firstInexact_ = size_ + static_cast<std::uint64_t>(at - data);
        firstInexactValue_ = *at;
    }
    for (std::uint64_t k = size_; k < 2 && k - size_ < size; ++k) head_[k] = data[k - size_];
    lastWasCr_ = end[-1] == '\r';
    if (counts[kNul]) {
        for (const std::uint8_t* at = data; (at = Find(at, end, 0)); ++at)
            ++((size_ + static_cast<std::uint64_t>(at - data)) % 2 ? nulOdd_ : nulEven_);
    }
    if (!utf8Broken_ && (counts[kHigh] || utf8Due_)) ValidateUtf8(data, size);
    size_ += size;
}

void Survey::ValidateUtf8(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        // Runs of ASCII eight at a time.
        std::uint64_t word;
        while (!utf8Due_ && i + 8 <= size && (std::memcpy(&word, data + i, 8), (word & 0x8080808080808080u) == 0))
            i += 8;
        if (i == size) return;
        const std::uint8_t c = data[i];
        if (utf8Due_) {
            if (c < utf8Low_ || c > utf8High_) {
                utf8Broken_ = true;
                return;
            }
            --utf8Due_;
            utf8Low_ = 0x80;
            utf8High_ = 0xBF;
            continue;
        }
        if (c < 0x80) continue;
        // The lead byte says how many follow, and for some the first one's
        // range (no overlong forms, no surrogates, nothing beyond U+10FFFF).
        if (c >= 0xC2 && c <= 0xDF) {
            utf8Due_ = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            utf8Due_ = 2;
            if (c == 0xE0) utf8Low_ = 0xA0;
            if (c == 0xED) utf8High_ = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            utf8Due_ = 3;
            if (c == 0xF0) utf8Low_ = 0x90;
            if (c == 0xF4) utf8High_ = 0x8F;
        } else {
            utf8Broken_ = true;
            return;
        }
        utf8Seen_ = true;
    }
}

SurveyReport Survey::Report() const {
    SurveyReport r;
    r.size = size_;
    r.changed = totals_[kChanged];
    r.inexact = totals_[kInexact];
    r.dropped = totals_[kDropped];
    r.firstInexact = firstInexact_;
    r.firstInexactValue = firstInexactValue_;
    r.crLf = totals_[kCrLf];
    r.cr = totals_[kCr] - totals_[kCrLf];
    r.lf = totals_[kLf] - totals_[kCrLf];

    const bool bom = size_ >= 2 && ((head_[0] == 0xFF && head_[1] == 0xFE) || (head_[0] == 0xFE && head_[1] == 0xFF));
    // Latin text in UTF-16 has a NUL in every other byte, and hardly any in
    // the bytes between.
    const std::uint64_t pairs = size_ / 2, most = std::max(nulEven_, nulOdd_), least = std::min(nulEven_, nulOdd_);
    const bool alternating = pairs > 0 && most * 2 >= pairs && most >= 2 * least;
    if (bom || alternating)
        r.looks = Looks::Utf16;
    else if (totals_[kNul])
        r.looks = Looks::Binary;
    else if (utf8Seen_ && !utf8Broken_ && utf8Due_ == 0)
        r.looks = Looks::Utf8;
    return r;
}

std::optional<SurveyReport> Core::CheckFile(const std::string& quelle) {
    std::unique_ptr<File> source;
    if (quelle.empty() || !Guarded(platform_, Doing{"Quelldatei kann nicht geöffnet werden", quelle}, [&] {
            return Take(platform_.OpenForReading(quelle), source);
        }))
        return std::nullopt;
    Survey survey(RichtungMacWin ? MacZuWin : WinZuMac, RichtungMacWin ? WinZuMac : MacZuWin);
    // Small enough to stay in the cache between the kernel's copy and the count.
    constexpr std::size_t kBlockSize = 64 * 1024;
    const std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[kBlockSize]);
    for (;;) {
        IoResult got;
        if (!Guarded(platform_, Doing{"Quelldatei kann nicht gelesen werden", quelle}, [&] {
                got = source->Read(block.get(), kBlockSize);
                return got.failure;
            }))
            return std::nullopt;
        if (got.count == 0) return survey.Report();
        survey.Add(block.get(), got.count);
    }
}

}  // namespace falvori
