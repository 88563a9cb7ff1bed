#include "pack_crc32.h"

#include <array>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define HX_CRC32_FOLDING 1
#endif

namespace hx {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

// Slicing-by-8 tables: kTables[k][b] is the register after byte b followed by k zero bytes.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CrcTables makeTables() {
    CrcTables tables{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t c = byte;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c >> 1) ^ ((c & 1u) ? kReflectedPolynomial : 0u);
        }
        tables[0][byte] = c;
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (std::uint32_t byte = 0; byte < 256; ++byte) {
            const std::uint32_t prev = tables[k - 1][byte];
            tables[k][byte] = (prev >> 8) ^ tables[0][prev & 0xFFu];
        }
    }
    return tables;
}

const CrcTables& tables() {
    static const CrcTables instance = makeTables();
    return instance;
}

std::uint32_t sliceBy8(std::uint32_t reg, const std::uint8_t* data, std::size_t size) {
    const CrcTables& t = tables();
    while (size >= 8) {
        // The tables are indexed by bytes in stream order; assembling the words by hand keeps the code
        // independent of the host's byte order.
        std::uint32_t lo = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                           (static_cast<std::uint32_t>(data[2]) << 16) |
                           (static_cast<std::uint32_t>(data[3]) << 24);
        std::uint32_t hi = static_cast<std::uint32_t>(data[4]) | (static_cast<std::uint32_t>(data[5]) << 8) |
                           (static_cast<std::uint32_t>(data[6]) << 16) |
                           (static_cast<std::uint32_t>(data[7]) << 24);
        lo ^= reg;
        reg = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFFu] ^ t[2][(hi >> 8) & 0xFFu] ^ t[1][(hi >> 16) & 0xFFu] ^ t[0][hi >> 24];
        data += 8;
        size -= 8;
    }
    return detail::crc32TableUpdate(reg, data, size);
}

#ifdef HX_CRC32_FOLDING

// Carry-less multiplication folding (after Gopal et al., "Fast CRC Computation for Generic Polynomials
// Using PCLMULQDQ"). A 128-bit block F followed D bits later by more data is congruent, modulo the CRC
// polynomial P, to F_hi * (x^(D+63) mod P) + F_lo * (x^(D-1) mod P) placed at that later position; the
// exponents carry the one-bit shift that reflected carry-less multiplication introduces. Folding leaves a
// 16-byte block whose CRC (from a zero register), continued over the remaining bytes, is the CRC of the
// whole input, so the final reduction is left to the table method.

// x^n mod P, bit-reflected into the upper half of a 64-bit word as the reflected multiplication wants it.
std::uint64_t reflectedPowerModP(unsigned n) {
    std::uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & (std::uint64_t{1} << 32)) {
            r ^= 0x104C11DB7ull;
        }
    }
    std::uint64_t reflected = 0;
    for (int bit = 0; bit < 64; ++bit) {
        if (r & (std::uint64_t{1} << bit)) {
            reflected |= std::uint64_t{1} << (63 - bit);
        }
    }
    return reflected;
}

struct FoldConstants {
    std::uint64_t by4High, by4Low, by1High, by1Low;
};

const FoldConstants& foldConstants() {
    static const FoldConstants constants{reflectedPowerModP(512 + 63), reflectedPowerModP(512 - 1),
                                         reflectedPowerModP(128 + 63), reflectedPowerModP(128 - 1)};
    return constants;
}

__attribute__((target("sse2"))) inline __m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i block, __m128i constants, __m128i next) {
    const __m128i high = _mm_clmulepi64_si128(block, constants, 0x00);
    const __m128i low = _mm_clmulepi64_si128(block, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// The first constant multiplies a block's first eight bytes (the high-degree half), the second its last.
__attribute__((target("sse2"))) inline __m128i makeConstants(std::uint64_t forFirstHalf,
                                                             std::uint64_t forSecondHalf) {
    return _mm_set_epi64x(static_cast<long long>(forSecondHalf), static_cast<long long>(forFirstHalf));
}

// Needs at least 64 bytes.
__attribute__((target("pclmul,sse2"))) std::uint32_t foldPclmul(std::uint32_t reg, const std::uint8_t* data,
                                                                std::size_t size) {
    const FoldConstants& k = foldConstants();
    const __m128i by4 = makeConstants(k.by4High, k.by4Low);
    const __m128i by1 = makeConstants(k.by1High, k.by1Low);

    __m128i x0 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = load(data + 16);
    __m128i x2 = load(data + 32);
    __m128i x3 = load(data + 48);
    data += 64;
    size -= 64;
    while (size >= 64) {
        x0 = fold(x0, by4, load(data));
        x1 = fold(x1, by4, load(data + 16));
        x2 = fold(x2, by4, load(data + 32));
        x3 = fold(x3, by4, load(data + 48));
        data += 64;
        size -= 64;
    }
    __m128i x = fold(fold(fold(x0, by1, x1), by1, x2), by1, x3);
    while (size >= 16) {
        x = fold(x, by1, load(data));
        data += 16;
        size -= 16;
    }
    alignas(16) std::uint8_t folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
    return sliceBy8(sliceBy8(0, folded, sizeof folded), data, size);
}

bool hasPclmul() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    }();
    return supported;
}

#endif

} // namespace

namespace detail {

std::uint32_t crc32TableUpdate(std::uint32_t reg, const std::uint8_t* data, std::size_t size) {
    const auto& t0 = tables()[0];
    for (std::size_t i = 0; i < size; ++i) {
        reg = t0[(reg ^ data[i]) & 0xFFu] ^ (reg >> 8);
    }
    return reg;
}

} // namespace detail

void Crc32::update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
#ifdef HX_CRC32_FOLDING
    if (size >= 256 && hasPclmul()) {
        register_ = foldPclmul(register_, bytes, size);
        return;
    }
#endif
    register_ = sliceBy8(register_, bytes, size);
}

std::uint32_t crc32(const void* data, std::size_t size) {
    Crc32 crc;
    crc.update(data, size);
    return crc.value();
}

} // namespace hx
