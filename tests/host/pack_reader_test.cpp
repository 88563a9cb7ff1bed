#include "pack_fixture.h"
#include "pack_layout.h"
#include "pack_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace hx {
namespace {

using fixture::buildPack;
using fixture::patternBytes;
using Bytes = std::vector<std::uint8_t>;

PackReadResult readBytes(const Bytes& bytes) {
    MemorySource source(bytes);
    return readPackTable(source);
}

TEST(PackReader, AcceptsTheLimitsOfTheFormat) {
    EXPECT_TRUE(readBytes(buildPack({{std::string(kMaxNameLength, 'n'), "x"}})).ok());
    std::vector<fixture::FixtureEntry> most(kMaxEntries, fixture::FixtureEntry{"n", ""});
    most.back().data = "last"; // empty entries whose offset is the end of the file
    const PackReadResult result = readBytes(buildPack(most));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.table.entries.size(), kMaxEntries);
}

// A valid pack's bytes, with the means to break one thing at a time.
struct PackBytes {
    Bytes bytes;

    std::size_t count() const { return loadLE16(bytes.data()); }
    std::size_t nameLength(std::size_t i) const {
        return loadLE16(bytes.data() + kPackHeaderSize + i * kNameRecordSize + kNameRecordLengthOffset);
    }
    std::size_t nameAt(std::size_t i) const {
        std::size_t position = kPackHeaderSize + count() * kNameRecordSize;
        for (std::size_t j = 0; j < i; ++j) {
            position += nameLength(j) + kLocationRecordSize;
        }
        return position;
    }
    std::size_t locationAt(std::size_t i) const { return nameAt(i) + nameLength(i); }

    PackBytes& setCount(std::uint16_t n) {
        storeLE16(bytes.data(), n);
        return *this;
    }
    PackBytes& setNameLength(std::size_t i, std::uint16_t length) {
        storeLE16(bytes.data() + kPackHeaderSize + i * kNameRecordSize + kNameRecordLengthOffset, length);
        return *this;
    }
    PackBytes& setName(std::size_t i, const std::string& sameLengthName) {
        std::copy(sameLengthName.begin(), sameLengthName.end(), bytes.begin() + nameAt(i));
        return *this;
    }
    PackBytes& setOffset(std::size_t i, std::uint32_t offset) {
        storeLE32(bytes.data() + locationAt(i), offset);
        return *this;
    }
    PackBytes& setSize(std::size_t i, std::uint32_t size) {
        storeLE32(bytes.data() + locationAt(i) + 4, size);
        return *this;
    }
    PackBytes& cutAt(std::size_t length) {
        bytes.resize(length);
        return *this;
    }
    PackBytes& cutInsideName(std::size_t i) { return cutAt(nameAt(i) + 3); }
    PackBytes& cutInsideLocation(std::size_t i) { return cutAt(locationAt(i) + 5); }
};

// readme.txt (10 bytes), hum6.bmp (100), canyon.mfd (5, last in the file).
PackBytes basePack() {
    return PackBytes{buildPack({{"readme.txt", patternBytes(10, 1)},
                                {"hum6.bmp", patternBytes(100, 2)},
                                {"canyon.mfd", patternBytes(5, 3)}})};
}

struct RejectCase {
    const char* label;
    std::function<PackBytes()> make;
    PackFault fault;
    std::string messagePart; // names the entry where one is concerned
};

TEST(PackReader, RefusesPacksCutShortOutsideTheLimitsOrWithUnsafeNames) {
    const RejectCase cases[] = {
        {"empty file", [] { return PackBytes{}; }, PackFault::TruncatedHeader, "header"},
        {"header cut", [] { return basePack().cutAt(11); }, PackFault::TruncatedHeader, "header"},
        {"count beyond the records", [] { return basePack().setCount(0xFFFF); },
         PackFault::TruncatedNameRecords, "65535 records"},
        {"cut inside a name", [] { return basePack().cutInsideName(1); }, PackFault::TruncatedEntryTable,
         "entry 1"},
        {"cut inside a location record", [] { return basePack().cutInsideLocation(2); },
         PackFault::TruncatedEntryTable, "entry 2 \"canyon.mfd\""},
        {"count 0", [] { return basePack().setCount(0); }, PackFault::NoEntries, "0"},
        {"name length 0", [] { return basePack().setNameLength(1, 0); }, PackFault::NameEmpty, "entry 1"},
        {"name length 84", [] { return basePack().setNameLength(2, 84); }, PackFault::NameTooLong, "entry 2"},
        {"zero byte in a name", [] { return basePack().setName(0, std::string("re\0dme.txt", 10)); },
         PackFault::NameHasZeroByte, "entry 0 \"re\\x00dme.txt\""},
        {"parent component", [] { return basePack().setName(1, "../x.bmp"); },
         PackFault::NameHasParentComponent, "entry 1 \"../x.bmp\""},
        {"drive letter", [] { return basePack().setName(2, "C:\\WIN.mfd"); }, PackFault::NameHasColon,
         "entry 2"},
        {"data one byte past the end", [] { return basePack().setSize(2, 6); }, PackFault::DataPastEndOfFile,
         "entry 2 \"canyon.mfd\""},
        {"offset 2^31", [] { return basePack().setOffset(1, 0x80000000u); }, PackFault::OffsetTooLarge,
         "entry 1 \"hum6.bmp\""},
        {"end of data 2^31", [] { return basePack().setOffset(1, 100).setSize(1, 0x80000000u - 100); },
         PackFault::DataEndTooLarge, "entry 1"},
        {"size 2^32-1", [] { return basePack().setSize(0, 0xFFFFFFFFu); }, PackFault::DataEndTooLarge,
         "entry 0"},
    };
    for (const RejectCase& c : cases) {
        const PackReadResult result = readBytes(c.make().bytes);
        EXPECT_EQ(result.fault, c.fault) << c.label;
        EXPECT_NE(result.message.find(c.messagePart), std::string::npos) << c.label << ": " << result.message;
        EXPECT_EQ(result.message.find('\n'), std::string::npos) << c.label;
    }
}

// Name lengths are checked before any name is read, names and truncation before any data location, and
// among the locations the first entry's fault wins.
TEST(PackReader, ReportsTheFirstFaultInReadingOrder) {
    EXPECT_EQ(readBytes(basePack().setName(0, "..\\me.txt\\").setNameLength(2, 90).bytes).fault,
              PackFault::NameTooLong);
    EXPECT_EQ(readBytes(basePack().setOffset(0, 0x80000000u).setName(1, "..\\x.bmp").bytes).fault,
              PackFault::NameHasParentComponent);
    EXPECT_EQ(readBytes(basePack().setOffset(0, 0x80000000u).cutInsideLocation(2).bytes).fault,
              PackFault::TruncatedEntryTable);
    EXPECT_EQ(readBytes(basePack().setSize(1, 100000).setOffset(2, 0x80000000u).bytes).fault,
              PackFault::DataPastEndOfFile);
}

// Claims a larger size than the bytes it holds: the reader only reads the table, so large data ranges
// can be tested without large files.
class ClaimedSizeSource final : public ByteSource {
public:
    ClaimedSizeSource(const Bytes& bytes, std::uint64_t claimedSize)
        : memory_(bytes), claimedSize_(claimedSize) {}
    std::uint64_t size() override { return claimedSize_; }
    void seek(std::uint64_t offset) override { memory_.seek(offset); }
    std::size_t read(void* buffer, std::size_t count) override { return memory_.read(buffer, count); }

private:
    MemorySource memory_;
    std::uint64_t claimedSize_;
};

TEST(PackReader, RefusesATotalOf2To31Bytes) {
    const auto readTwoLarge = [](std::uint32_t secondSize) {
        PackBytes p = basePack();
        p.setOffset(0, 100).setSize(0, 0x40000000u).setOffset(1, 100).setSize(1, secondSize);
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
