#include "ByteMap.h"

namespace falvori {

ByteMap::ByteMap(const Tabelle& table) {
    for (int i = 0; i < 256; ++i) {
        const int entry = table[i];
        valid_[i] = entry >= 0 && entry <= 255;
        allValid_ = allValid_ && valid_[i];
        to_[i] = static_cast<std::uint8_t>(valid_[i] ? entry : 0);
        keep_[i] = (valid_[i] && entry > 0) ? 1 : 0;
    }
}

std::size_t ByteMap::map(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                         std::size_t* consumed) const {
    std::size_t end = size;
    if (!allValid_) {
        for (end = 0; end < size && valid_[in[end]]; ++end) {
        }
    }
    // Without a branch per byte: always store, advance only for kept bytes.
    std::size_t n = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const std::uint8_t b = in[i];
        out[n] = to_[b];
        n += keep_[b];
    }
    *consumed = end;
    return n;
}

}  // namespace falvori
