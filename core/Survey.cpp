#include "Survey.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "Core.h"
#include "Guard.h"

namespace falvori {

namespace {

const std::uint8_t* Find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t c) {
    return static_cast<const std::uint8_t*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

}  // namespace

Survey::Survey(const Table& to, const Table& back) {
    for (int b = 0; b < 256; ++b) {
        const int entry = to[b];
        if (entry == 0) {
            kind_[b] = kDropped;
        } else if (entry < 0 || entry > 255) {
            kind_[b] = kChanged | kInexact;  // no byte at all: the conversion would stop there
        } else {
            kind_[b] = (entry != b ? kChanged : kSame) | (back[entry] != b ? kInexact : kSame);
        }
    }
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

void Survey::Piece(const std::uint8_t* data, std::uint32_t size) {
    // Counting is all the pass does for most bytes; four tables keep the
    // increments of neighbouring bytes independent of each other.
    std::array<std::array<std::uint32_t, 256>, 4> lanes{};
    std::uint32_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++lanes[0][data[i]];
        ++lanes[1][data[i + 1]];
        ++lanes[2][data[i + 2]];
        ++lanes[3][data[i + 3]];
    }
    for (; i < size; ++i) ++lanes[0][data[i]];
    std::array<std::uint32_t, 256> count{};
    bool inexact = false, high = false;
    for (int b = 0; b < 256; ++b) {
        count[b] = lanes[0][b] + lanes[1][b] + lanes[2][b] + lanes[3][b];
        counts_[b] += count[b];
        if (count[b] && (kind_[b] & kInexact)) inexact = true;
        if (count[b] && b >= 0x80) high = true;
    }

    // Only what this piece holds is looked for in it.
    const std::uint8_t* end = data + size;
    if (inexact && !firstInexact_) {
        const std::uint8_t* at = std::find_if(data, end, [this](std::uint8_t c) { return kind_[c] & kInexact; });
        firstInexact_ = size_ + static_cast<std::uint64_t>(at - data);
        firstInexactValue_ = *at;
    }
    for (std::uint64_t k = size_; k < 2 && k - size_ < size; ++k) head_[k] = data[k - size_];
    if (lastWasCr_ && data[0] == '\n') ++crLf_;
    if (count['\r'] && count['\n']) {
        for (const std::uint8_t* at = data; (at = Find(at, end, '\r')); ++at)
            if (at + 1 < end && at[1] == '\n') ++crLf_;
    }
    lastWasCr_ = end[-1] == '\r';
    if (count[0]) {
        for (const std::uint8_t* at = data; (at = Find(at, end, 0)); ++at)
            ++((size_ + static_cast<std::uint64_t>(at - data)) % 2 ? nulOdd_ : nulEven_);
    }
    if (!utf8Broken_ && (high || utf8Due_)) ValidateUtf8(data, size);
    size_ += size;
}

void Survey::ValidateUtf8(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
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
    for (int b = 0; b < 256; ++b) {
        if (kind_[b] & kChanged) r.changed += counts_[b];
        if (kind_[b] & kInexact) r.inexact += counts_[b];
        if (kind_[b] & kDropped) r.dropped += counts_[b];
    }
    r.firstInexact = firstInexact_;
    r.firstInexactValue = firstInexactValue_;
    r.crLf = crLf_;
    r.cr = counts_['\r'] - crLf_;
    r.lf = counts_['\n'] - crLf_;

    const bool bom = size_ >= 2 && ((head_[0] == 0xFF && head_[1] == 0xFE) || (head_[0] == 0xFE && head_[1] == 0xFF));
    // Latin text in UTF-16 has a NUL in every other byte, and hardly any in
    // the bytes between.
    const std::uint64_t pairs = size_ / 2, most = std::max(nulEven_, nulOdd_), least = std::min(nulEven_, nulOdd_);
    const bool alternating = pairs > 0 && most * 2 >= pairs && most >= 2 * least;
    if (bom || alternating)
        r.looks = Looks::Utf16;
    else if (counts_[0])
        r.looks = Looks::Binary;
    else if (utf8Seen_ && !utf8Broken_ && utf8Due_ == 0)
        r.looks = Looks::Utf8;
    return r;
}

std::optional<SurveyReport> Core::CheckFile(const std::string& quelle) {
    std::unique_ptr<File> source;
    if (quelle.empty() || !Guarded(platform_, Doing{"Quelldatei kann nicht geöffnet werden", quelle}, [&] {
            Failure f;
            source = platform_.OpenForReading(quelle, f);
            return f;
        }))
        return std::nullopt;
    Survey survey(RichtungMacWin ? MacZuWin : WinZuMac, RichtungMacWin ? WinZuMac : MacZuWin);
    constexpr std::size_t kBlockSize = 256 * 1024;
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
