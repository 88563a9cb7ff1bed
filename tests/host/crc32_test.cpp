#include "pack_crc32.h"
#include "pack_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

struct KnownCrc {
    std::string text;
    std::uint32_t crc;
};

class Crc32KnownValues : public ::testing::TestWithParam<KnownCrc> {};

TEST_P(Crc32KnownValues, MatchesTheZlibChecksum) {
    const KnownCrc& known = GetParam();
    EXPECT_EQ(crc32(known.text.data(), known.text.size()), known.crc);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Crc32KnownValues,
                         ::testing::Values(KnownCrc{"", 0x00000000u}, KnownCrc{"a", 0xE8B7BE43u},
                                           KnownCrc{"123456789", 0xCBF43926u},
                                           KnownCrc{"The quick brown fox jumps over the lazy dog",
                                                    0x414FA339u},
                                           KnownCrc{std::string(1000, '\0'), 0x060B1780u}));

std::uint32_t tableCrc(const std::string& bytes) {
    return ~detail::crc32TableUpdate(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size());
}

// The folding path takes over for longer inputs; every length and alignment must agree with the table.
TEST(Crc32, AgreesWithTheTableMethodForEveryLengthAndAlignment) {
    const std::string bytes = fixture::patternBytes(1200 + 16, 7);
    for (std::size_t offset = 0; offset < 16; offset += 5) {
        for (std::size_t length = 0; length <= 1200; ++length) {
            const std::string piece = bytes.substr(offset, length);
            ASSERT_EQ(crc32(piece.data(), piece.size()), tableCrc(piece)) << "length " << length;
        }
    }
}

TEST(Crc32, PiecewiseUpdatesEqualOneUpdate) {
    const std::string bytes = fixture::patternBytes(300000, 3);
    const std::uint32_t whole = crc32(bytes.data(), bytes.size());
    for (const std::size_t piece : {1u, 7u, 64u, 255u, 256u, 4099u, 131072u}) {
        Crc32 crc;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            crc.update(bytes.data() + at, std::min(piece, bytes.size() - at));
        }
        EXPECT_EQ(crc.value(), whole) << "pieces of " << piece;
    }
    EXPECT_EQ(whole, tableCrc(bytes));
}

} // namespace
} // namespace hx
