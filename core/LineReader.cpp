#include "core/LineReader.h"

namespace falvori {

bool LineReader::Fill(Failure& failure) {
    IoResult r = file_.Read(buffer_.data(), buffer_.size());
    if (r.failure) {
        failure = r.failure;
        return false;
    }
    pos_ = 0;
    size_ = r.count;
    return true;
}

bool LineReader::AtEnd(Failure& failure) {
    for (;;) {
        if (pos_ == size_ && (!Fill(failure) || size_ == 0)) return true;
        if (!skipLineFeed_) return false;
        // The LF of a CR LF belongs to the line before.
        skipLineFeed_ = false;
        if (buffer_[pos_] != '\n') return false;
        ++pos_;
    }
}

}  // namespace falvori
