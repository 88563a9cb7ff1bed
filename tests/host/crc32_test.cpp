#include "pack_crc32.h"
#include "pack_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace hx {
namespace {

std::uint32_t tableCrc(const std::string& bytes) {
    return ~detail::crc32TableUpdate(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size());
}

TEST(Crc32, MatchesZlibsCheckValues) {
    const std::pair<std::string, std::uint32_t> known[] = {
        {"", 0x00000000u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {std::string(1000, '\0'), 0x060B1780u},
    };
    for (const auto& [text, crc] : known) {
        EXPECT_EQ(crc32(text.data(), text.size()), crc) << text.size() << " bytes";
    }
}

// The folding path takes over for longer inputs; every length and alignment must agree with the table,
// and so must any split into pieces.
TEST(Crc32, AcceleratedPathAgreesWithTheTableForEveryLengthAlignmentAndSplit) {
    const std::string bytes = fixture::patternBytes(1200 + 16, 7);
    for (std::size_t offset = 0; offset < 16; offset += 5) {
        for (std::size_t length = 0; length <= 1200; ++length) {
            const std::string piece = bytes.substr(offset, length);
            ASSERT_EQ(crc32(piece.data(), piece.size()), tableCrc(piece)) << "length " << length;
        }
    }
    const std::string large = fixture::patternBytes(300000, 3);
    for (const std::size_t piece : {1u, 7u, 255u, 4099u, 131072u}) {
        Crc32 crc;
        for (std::size_t at = 0; at < large.size(); at += piece) {
            crc.update(large.data() + at, std::min(piece, large.size() - at));
        }
        EXPECT_EQ(crc.value(), tableCrc(large)) << "pieces of " << piece;
    }
}

} // namespace
} // namespace hx
