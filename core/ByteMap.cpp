#include "core/ByteMap.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && \
    (!defined(_WIN64) || defined(FALVORI_UNALIGNED_SPILLS))
// Vector loops, chosen at run time. On 64-bit Windows only where the build
// makes the assembler write unaligned moves: the compiler does not align
// the stack there for 32- and 64-byte registers (32-bit code realigns it).
#define FALVORI_X86_KERNELS 1
#include <immintrin.h>
#endif

namespace falvori {

namespace {

// Without a branch per byte: always store, advance only for kept bytes.
std::size_t MapScalar(const std::uint8_t* to, const std::uint8_t* keep, const std::uint8_t* in,
                      std::size_t size, std::uint8_t* out) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = in[i];
        out[n] = to[b];
        n += keep[b];
    }
    return n;
}

#ifdef FALVORI_X86_KERNELS

// 16 lookups of 16 entries, one per high nibble. Every kept byte maps to a
// value above 0, so a mapped block without a 0 has nothing to drop and is
// stored whole; a block with one goes byte by byte.
__attribute__((target("avx2"))) std::size_t MapAvx2(const std::uint8_t* to,
                                                     const std::uint8_t* keep,
                                                     const std::uint8_t* in, std::size_t size,
                                                     std::uint8_t* out) {
    __m256i tables[16];
    for (int k = 0; k < 16; ++k)
        tables[k] = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + 16 * k)));
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    const __m256i highNibble = _mm256_set1_epi8(static_cast<char>(0xF0));
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    std::size_t n = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const __m256i lo = _mm256_and_si256(x, lowNibble);
        const __m256i hi = _mm256_and_si256(x, highNibble);
        __m256i r = zero;
        for (int k = 0; k < 16; ++k) {
            const __m256i row = _mm256_cmpeq_epi8(hi, _mm256_set1_epi8(static_cast<char>(16 * k)));
            r = _mm256_or_si256(r, _mm256_and_si256(row, _mm256_shuffle_epi8(tables[k], lo)));
        }
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(r, zero)) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n), r);
            n += 32;
        } else {
            n += MapScalar(to, keep, in + i, 32, out + n);
        }
    }
    return n + MapScalar(to, keep, in + i, size - i, out + n);
}

// Two 128-entry lookups, chosen by the top bit; dropped bytes are squeezed
// out in the register.
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt"))) std::size_t MapAvx512(
    const std::uint8_t* to, const std::uint8_t* keep, const std::uint8_t* in, std::size_t size,
    std::uint8_t* out) {
    const __m512i t0 = _mm512_loadu_si512(to);
    const __m512i t1 = _mm512_loadu_si512(to + 64);
    const __m512i t2 = _mm512_loadu_si512(to + 128);
    const __m512i t3 = _mm512_loadu_si512(to + 192);
    std::size_t i = 0;
    std::size_t n = 0;
    for (; i + 64 <= size; i += 64) {
        const __m512i x = _mm512_loadu_si512(in + i);
        const __m512i lower = _mm512_permutex2var_epi8(t0, x, t1);
        const __m512i upper = _mm512_permutex2var_epi8(t2, x, t3);
        const __m512i r = _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), lower, upper);
        const __mmask64 kept = _mm512_test_epi8_mask(r, r);
        _mm512_storeu_si512(out + n, _mm512_maskz_compress_epi8(kept, r));
        n += static_cast<std::size_t>(__builtin_popcountll(kept));
    }
    return n + MapScalar(to, keep, in + i, size - i, out + n);
}

#endif

bool Always() { return true; }

#ifdef FALVORI_X86_KERNELS
// With popcnt, which every AVX2 processor has and the survey's AVX2 loop counts with.
bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

bool HasAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
           __builtin_cpu_supports("popcnt");
}
#else
bool Never() { return false; }
#endif

struct LoopEntry {
    ByteMap::Kernel kind;
    const char* name;
    bool (*runsHere)();
    ByteMap::Loop map;
};

// Fastest first: Best is the first one the processor runs.
constexpr LoopEntry kLoops[] = {
#ifdef FALVORI_X86_KERNELS
    {ByteMap::Kernel::Avx512, "avx512vbmi2", HasAvx512, MapAvx512},
    {ByteMap::Kernel::Avx2, "avx2", HasAvx2, MapAvx2},
#else
    {ByteMap::Kernel::Avx512, "avx512vbmi2", Never, MapScalar},
    {ByteMap::Kernel::Avx2, "avx2", Never, MapScalar},
#endif
    {ByteMap::Kernel::Scalar, "scalar", Always, MapScalar},
};
constexpr std::size_t kLoopCount = sizeof kLoops / sizeof kLoops[0];

// The processor is asked once per loop, on first use.
bool RunsHere(std::size_t index) {
    static const auto detected = [] {
        std::array<bool, kLoopCount> runs{};
        for (std::size_t i = 0; i < kLoopCount; ++i) runs[i] = kLoops[i].runsHere();
        return runs;
    }();
    return detected[index];
}

// The loop for kind; Best and a loop this processor cannot run give the
// fastest one it can.
const LoopEntry& Choose(ByteMap::Kernel kind) {
    for (std::size_t i = 0; i < kLoopCount; ++i)
        if ((kind == ByteMap::Kernel::Best || kLoops[i].kind == kind) && RunsHere(i)) return kLoops[i];
    return kLoops[kLoopCount - 1];
}

}  // namespace

bool ByteMap::Supported(Kernel kernel) {
    if (kernel == Kernel::Best) return true;
    for (std::size_t i = 0; i < kLoopCount; ++i)
        if (kLoops[i].kind == kernel) return RunsHere(i);
    return false;
}

const char* ByteMap::Name(Kernel kernel) {
    if (kernel == Kernel::Best) return "best";
    for (const LoopEntry& loop : kLoops)
        if (loop.kind == kernel) return loop.name;
    return "?";
}

ByteMap::ByteMap(const Tabelle& table, Kernel kernel) {
    for (int i = 0; i < 256; ++i) {
        const int entry = table[i];
        valid_[i] = entry >= 0 && entry <= 255;
        allValid_ = allValid_ && valid_[i];
        to_[i] = static_cast<std::uint8_t>(valid_[i] ? entry : 0);
        keep_[i] = (valid_[i] && entry > 0) ? 1 : 0;
    }
    const LoopEntry& loop = Choose(kernel);
    kernel_ = loop.kind;
    loop_ = loop.map;
}

std::size_t ByteMap::Map(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                         std::size_t* consumed) const {
    std::size_t end = size;
    if (!allValid_) {
        for (end = 0; end < size && valid_[in[end]]; ++end) {
        }
    }
    *consumed = end;
    return loop_(to_.data(), keep_.data(), in, end, out);
}

}  // namespace falvori
