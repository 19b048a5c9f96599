#include "core/ByteLoop.h"

#include <algorithm>
#include <array>
#include <memory>

namespace falvori {

namespace {

class LineEndStage {
public:
    LineEndStage(bool crlf, MappedBytes emit) : crlf_(crlf), emit_(std::move(emit)) {}

    bool Pass(const std::uint8_t* data, std::size_t size) {
        // Each piece at most doubles, so it always fits out_.
        for (std::size_t i = 0; i < size;) {
            const std::size_t end = std::min(size, i + out_.size() / 2);
            std::size_t n = 0;
            for (; i < end; ++i) {
                const std::uint8_t c = data[i];
                if (c != '\r' && c != '\n') {
                    afterCr_ = false;
                    out_[n++] = c;
                    continue;
                }
                // The LF of a CR LF was written with its CR.
                const bool secondHalf = c == '\n' && afterCr_;
                afterCr_ = c == '\r';
                if (secondHalf) continue;
                out_[n++] = '\r';
                if (crlf_) out_[n++] = '\n';
            }
            if (n && !emit_(out_.data(), n)) return false;
        }
        return true;
    }

private:
    bool crlf_;
    bool afterCr_ = false;
    MappedBytes emit_;
    std::array<std::uint8_t, 64 * 1024> out_;  // not zeroed: only what is written is used
};

}  // namespace

MappedBytes WithLineEnds(LineEnds to, MappedBytes emit) {
    if (to == LineEnds::Keep) return emit;
    auto stage = std::make_shared<LineEndStage>(to == LineEnds::CrLf, std::move(emit));
    return [stage](const std::uint8_t* data, std::size_t size) { return stage->Pass(data, size); };
}

}  // namespace falvori
