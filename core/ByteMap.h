// One translation table made ready for the byte loop: the new byte for each
// old one, and whether the old one is kept at all (an entry of 0 drops it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Core.h"

namespace falvori {

class ByteMap {
public:
    explicit ByteMap(const Tabelle& table);

    // Maps in[0..size) into out and returns the number of bytes written.
    // Stops early at the first byte whose entry is no byte value; *consumed
    // tells how far it got.
    std::size_t map(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                    std::size_t* consumed) const;

private:
    std::array<std::uint8_t, 256> to_{};
    std::array<std::uint8_t, 256> keep_{};
    bool allValid_ = true;
    std::array<bool, 256> valid_{};
};

}  // namespace falvori
