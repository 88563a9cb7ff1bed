#include "pack_fixture.h"
#include "pack_layout.h"
#include "pack_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace hx {
namespace {

using Bytes = std::vector<std::uint8_t>;

PackReadResult readBytes(const Bytes& bytes) {
    MemorySource source(bytes);
    return readPackTable(source);
}

TEST(PackReader, AcceptsTheLimitsOfTheFormat) {
    EXPECT_TRUE(readBytes(fixture::buildPack({{std::string(kMaxNameLength, 'n'), "x"}})).ok());
    std::vector<fixture::FixtureEntry> most(kMaxEntries, fixture::FixtureEntry{"n", ""});
    most.back().data = "last"; // empty entries whose offset is the end of the file
    const PackReadResult result = readBytes(fixture::buildPack(most));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.table.entries.size(), kMaxEntries);
}

// readme.txt (10 bytes), hum6.bmp (100), canyon.mfd (5, last in the file), with the means to break one
// thing at a time. Its names begin at 36, 54 and 70, each followed by its data's offset and size.
struct PackBytes {
    Bytes bytes = fixture::buildPack({{"readme.txt", fixture::patternBytes(10, 1)},
                                      {"hum6.bmp", fixture::patternBytes(100, 2)},
                                      {"canyon.mfd", fixture::patternBytes(5, 3)}});
    static std::size_t nameAt(std::size_t i) { return std::array<std::size_t, 3>{36, 54, 70}[i]; }
    static std::size_t locationAt(std::size_t i) { return std::array<std::size_t, 3>{46, 62, 80}[i]; }

    PackBytes& set16(std::size_t at, std::uint16_t value) {
        storeLE16(bytes.data() + at, value);
        return *this;
    }
    PackBytes& set32(std::size_t at, std::uint32_t value) {
        storeLE32(bytes.data() + at, value);
        return *this;
    }
    PackBytes& setNameLength(std::size_t i, std::uint16_t length) {
        return set16(kPackHeaderSize + i * kNameRecordSize + kNameRecordLengthOffset, length);
    }
    PackBytes& setName(std::size_t i, const std::string& sameLengthName) {
        std::copy(sameLengthName.begin(), sameLengthName.end(), bytes.begin() + nameAt(i));
        return *this;
    }
    PackBytes& setOffset(std::size_t i, std::uint32_t offset) { return set32(locationAt(i), offset); }
    PackBytes& setSize(std::size_t i, std::uint32_t size) { return set32(locationAt(i) + 4, size); }
    PackBytes& cutAt(std::size_t length) {
        bytes.resize(length);
        return *this;
    }
};

TEST(PackReader, RefusesPacksCutShortOutsideTheLimitsOrWithUnsafeNames) {
    const struct {
        const char* label;
        std::function<PackBytes()> make;
        PackFault fault;
        std::string messagePart; // names the entry where one is concerned
    } cases[] = {
        {"header cut", [] { return PackBytes().cutAt(11); }, PackFault::TruncatedHeader, "header"},
        {"count beyond the records", [] { return PackBytes().set16(0, 0xFFFF); },
         PackFault::TruncatedNameRecords, "65535 records"},
        {"cut inside a location record", [] { return PackBytes().cutAt(PackBytes::locationAt(2) + 5); },
         PackFault::TruncatedEntryTable, "entry 2 \"canyon.mfd\""},
        {"count 0", [] { return PackBytes().set16(0, 0); }, PackFault::NoEntries, "0"},
        {"name length 84", [] { return PackBytes().setNameLength(2, 84); }, PackFault::NameTooLong,
         "entry 2"},
        {"parent component", [] { return PackBytes().setName(1, "../x.bmp"); },
         PackFault::NameHasParentComponent, "entry 1 \"../x.bmp\""},
        {"data one byte past the end", [] { return PackBytes().setSize(2, 6); }, PackFault::DataPastEndOfFile,
         "entry 2 \"canyon.mfd\""},
        {"offset 2^31", [] { return PackBytes().setOffset(1, 0x80000000u); }, PackFault::OffsetTooLarge,
         "entry 1 \"hum6.bmp\""},
        {"end of data 2^31", [] { return PackBytes().setOffset(1, 100).setSize(1, 0x80000000u - 100); },
         PackFault::DataEndTooLarge, "entry 1"},
        {"size 2^32-1", [] { return PackBytes().setSize(0, 0xFFFFFFFFu); }, PackFault::DataEndTooLarge,
         "entry 0"},
    };
    for (const auto& c : cases) {
        const PackReadResult result = readBytes(c.make().bytes);
        EXPECT_EQ(result.fault, c.fault) << c.label;
        EXPECT_NE(result.message.find(c.messagePart), std::string::npos) << c.label << ": " << result.message;
        EXPECT_EQ(result.message.find('\n'), std::string::npos) << c.label;
    }
}

// Claims a larger size than the bytes it holds: the reader reads the table only, so large data ranges
// need no large files.
class ClaimedSizeSource final : public ByteSource {
public:
    ClaimedSizeSource(const Bytes& bytes, std::uint64_t claimedSize)
        : memory_(bytes), claimed_(claimedSize) {}
    std::uint64_t size() override { return claimed_; }
    void seek(std::uint64_t offset) override { memory_.seek(offset); }
    std::size_t read(void* buffer, std::size_t count) override { return memory_.read(buffer, count); }

private:
    MemorySource memory_;
    std::uint64_t claimed_;
};

TEST(PackReader, RefusesATotalOf2To31Bytes) {
    const auto readTwoLarge = [](std::uint32_t secondSize) {
        const PackBytes p =
            PackBytes().setOffset(0, 100).setSize(0, 0x40000000u).setOffset(1, 100).setSize(1, secondSize);
        ClaimedSizeSource source(p.bytes, 0x7FFFFFFFu);
        return readPackTable(source);
    };
    const PackReadResult tooMuch = readTwoLarge(0x40000000u - 5);
    EXPECT_EQ(tooMuch.fault, PackFault::TotalTooLarge);
    EXPECT_NE(tooMuch.message.find("entry 2 \"canyon.mfd\""), std::string::npos) << tooMuch.message;
    const PackReadResult justBelow = readTwoLarge(0x40000000u - 6);
    ASSERT_TRUE(justBelow.ok()) << justBelow.message;
    EXPECT_EQ(justBelow.table.totalSize, 0x7FFFFFFF);
}

} // namespace
} // namespace hx
