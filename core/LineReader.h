// Splits a file into lines as text input does: a line ends at CR LF or at a
// lone CR; a line feed on its own is part of the line.
#pragma once

#include <array>
#include <cstddef>

#include "core/Platform.h"

namespace falvori {

class LineReader {
public:
    explicit LineReader(File& file) : file_(file) {}

    // True when no character is left.
    bool AtEnd(Failure& failure);

    // Hands each character of the next line to `sink`. The LF of a CR LF is
    // left to the next AtEnd(), which every line read comes after. Returns a
    // failure of the underlying read, if any.
    template <typename Sink>
    Failure ReadLine(Sink&& sink) {
        Failure failure;
        for (;;) {
            if (pos_ == size_ && !Fill(failure)) return failure;
            if (pos_ == size_) return failure;  // last line without a line end
            char c = buffer_[pos_++];
            if (c == '\r') {
                skipLineFeed_ = true;
                return failure;
            }
            sink(c);
        }
    }

private:
    bool Fill(Failure& failure);

    File& file_;
    std::array<char, 64 * 1024> buffer_;  // not zeroed: only what was read is used
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool skipLineFeed_ = false;
};

}  // namespace falvori
