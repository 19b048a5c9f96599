// One translation table made ready for the byte loop: the new byte for each
// old one, and whether the old one is kept at all (an entry of 0 drops it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/Core.h"

namespace falvori {

class ByteMap {
public:
    // The loops that can do the mapping. Best is the fastest one this
    // processor runs; the others exist so that tests and benchmarks can pit
    // each against the plain loop.
    enum class Kernel { Best, Scalar, Avx2, Avx512 };

    // One mapping loop: in[0..size) through to into out, without the bytes
    // whose keep is 0; returns the number of bytes written.
    using Loop = std::size_t (*)(const std::uint8_t* to, const std::uint8_t* keep, const std::uint8_t* in,
                                 std::size_t size, std::uint8_t* out);

    // A kernel this processor cannot run falls back to the plain loop.
    explicit ByteMap(const Tabelle& table, Kernel kernel = Kernel::Best);

    // Whether this build and this processor can run kernel.
    static bool Supported(Kernel kernel);
    static const char* Name(Kernel kernel);
    Kernel UsedKernel() const { return kernel_; }

    // Maps in[0..size) into out (room for size bytes) and returns the number
    // of bytes written. Stops early at the first byte whose entry is no byte
    // value; *consumed tells how far it got.
    std::size_t Map(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                    std::size_t* consumed) const;

private:
    alignas(64) std::array<std::uint8_t, 256> to_{};
    std::array<std::uint8_t, 256> keep_{};
    std::array<bool, 256> valid_{};
    bool allValid_ = true;
    Kernel kernel_ = Kernel::Scalar;
    Loop loop_ = nullptr;
};

}  // namespace falvori
