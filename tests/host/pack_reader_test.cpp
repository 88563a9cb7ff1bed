#include "pack_fixture.h"
#include "pack_layout.h"
#include "pack_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace hx {
namespace {

using fixture::buildPack;
using fixture::FixtureEntry;
using fixture::patternBytes;
using Bytes = std::vector<std::uint8_t>;

PackReadResult readBytes(const Bytes& bytes) {
    MemorySource source(bytes);
    return readPackTable(source);
}

std::string dataOf(const Bytes& pack, const PackEntry& entry) {
    return std::string(reinterpret_cast<const char*>(pack.data()) + entry.offset, entry.size);
}

// ---- packs inside the limits ----

TEST(PackReader, HoldsEachEntrysNameRecordsAndDataLocation) {
    const std::vector<FixtureEntry> entries = {
        {"readme.txt", "Read me first."}, {"hum6.bmp", patternBytes(300, 1)}, {"canyon.mfd", ""}};
    const Bytes pack = buildPack(entries);
    MemorySource source(pack);
    const PackReadResult result = readPackTable(source);
    ASSERT_TRUE(result.ok()) << result.message;
    const PackTable& table = result.table;

    EXPECT_TRUE(std::equal(table.header.begin(), table.header.end(), pack.begin()));
    ASSERT_EQ(table.entries.size(), 3u);
    std::size_t tablePosition = kPackHeaderSize + 3 * kNameRecordSize;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = table.entries[i];
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.name, entries[i].name);
        EXPECT_EQ(0, std::memcmp(entry.nameRecord.data(), pack.data() + kPackHeaderSize + i * kNameRecordSize,
                                 kNameRecordSize));
        tablePosition += entry.name.size();
        EXPECT_EQ(0,
                  std::memcmp(entry.locationRecord.data(), pack.data() + tablePosition, kLocationRecordSize));
        tablePosition += kLocationRecordSize;
        EXPECT_EQ(entry.offset, loadLE32(entry.locationRecord.data()));
        EXPECT_EQ(entry.size, entries[i].data.size());
        EXPECT_EQ(dataOf(pack, entry), entries[i].data);
    }
    EXPECT_EQ(table.tableEnd, tablePosition);
    EXPECT_EQ(source.position(), table.entries[0].offset);
}

TEST(PackReader, KeepsForeignBytesInTheIgnoredFieldsAsRead) {
    Bytes pack = buildPack({{"a.txt", "abc"}}, {{}, false});
    const Bytes foreignHeader = {0x01, 0x00, 'W', 'H', 'A', 'T', 'E', 'V', 'E', 'R', '!', '?'};
    std::copy(foreignHeader.begin(), foreignHeader.end(), pack.begin());
    const Bytes foreignRecord = {0xDE, 0xAD, 0xBE, 0xEF, 5, 0, 0x77, 0x88};
    std::copy(foreignRecord.begin(), foreignRecord.end(), pack.begin() + kPackHeaderSize);

    const PackReadResult result = readBytes(pack);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_TRUE(std::equal(foreignHeader.begin(), foreignHeader.end(), result.table.header.begin()));
    EXPECT_TRUE(
        std::equal(foreignRecord.begin(), foreignRecord.end(), result.table.entries[0].nameRecord.begin()));
    EXPECT_EQ(dataOf(pack, result.table.entries[0]), "abc");
}

struct TotalCase {
    std::vector<std::size_t> sizes;
    std::int32_t total;
};

std::ostream& operator<<(std::ostream& out, const TotalCase& c) {
    for (const std::size_t size : c.sizes) {
        out << size << ' ';
    }
    return out;
}

class PackTotals : public ::testing::TestWithParam<TotalCase> {};

TEST_P(PackTotals, AreTheSumOfTheSizes) {
    std::vector<FixtureEntry> entries;
    for (std::size_t i = 0; i < GetParam().sizes.size(); ++i) {
        entries.push_back({"f" + std::to_string(i) + ".dat", patternBytes(GetParam().sizes[i], i + 1)});
    }
    const PackReadResult result = readBytes(buildPack(entries));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.table.totalSize, GetParam().total);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PackTotals,
                         ::testing::Values(TotalCase{{10, 0, 262145}, 262155}, TotalCase{{0}, 0},
                                           TotalCase{{1}, 1}, TotalCase{{262144, 262144}, 524288},
                                           TotalCase{{0, 0, 0, 7}, 7}));

TEST(PackReader, ReadsDataStoredOutOfTableOrderFromEachEntrysOffset) {
    const std::vector<FixtureEntry> entries = {
        {"first.txt", "1111"}, {"second.mfd", patternBytes(5000, 2)}, {"third.dll", "333"}};
    PackWriterOptions reversed;
    reversed.dataOrder = fixture::reversedOrder(entries.size());
    const Bytes pack = buildPack(entries, reversed);
    MemorySource source(pack);
    const PackReadResult result = readPackTable(source);
    ASSERT_TRUE(result.ok()) << result.message;

    const auto& read = result.table.entries;
    EXPECT_GT(read[0].offset, read[1].offset);
    EXPECT_GT(read[1].offset, read[2].offset);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(read[i].name, entries[i].name);
        EXPECT_EQ(dataOf(pack, read[i]), entries[i].data);
    }
    // Positioned at entry 0's data, which here is the last in the file.
    EXPECT_EQ(source.position(), read[0].offset);
}

TEST(PackReader, AcceptsTheBoundaryValuesOfTheFormat) {
    const std::string longest(kMaxNameLength, 'n');
    const PackReadResult longName = readBytes(buildPack({{longest, "x"}}));
    ASSERT_TRUE(longName.ok()) << longName.message;
    EXPECT_EQ(longName.table.entries[0].name, longest);

    // An empty entry whose offset is the end of the file, and data that ends exactly there.
    const PackReadResult atTheEnd = readBytes(buildPack({{"a.txt", "abc"}, {"empty.txt", ""}}));
    ASSERT_TRUE(atTheEnd.ok()) << atTheEnd.message;

    std::vector<FixtureEntry> many(kMaxEntries, FixtureEntry{"n", ""});
    many.back().data = "last";
    const PackReadResult mostEntries = readBytes(buildPack(many));
    ASSERT_TRUE(mostEntries.ok()) << mostEntries.message;
    EXPECT_EQ(mostEntries.table.entries.size(), kMaxEntries);
    EXPECT_EQ(mostEntries.table.totalSize, 4);
}

// ---- packs outside the limits, and names that would escape ----

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
};

// readme.txt (10 bytes), hum6.bmp (100), canyon.mfd (5, last in the file).
PackBytes basePack() {
    return PackBytes{buildPack({{"readme.txt", patternBytes(10, 1)},
                                {"hum6.bmp", patternBytes(100, 2)},
                                {"canyon.mfd", patternBytes(5, 3)}})};
}

struct RejectCase {
    const char* label;
    std::function<Bytes()> make;
    PackFault fault;
    std::string messagePart;
};

std::ostream& operator<<(std::ostream& out, const RejectCase& c) {
    return out << c.label;
}

class RejectedPacks : public ::testing::TestWithParam<RejectCase> {};

TEST_P(RejectedPacks, FailWithTheirFault) {
    const PackReadResult result = readBytes(GetParam().make());
    EXPECT_EQ(result.fault, GetParam().fault);
    EXPECT_NE(result.message.find(GetParam().messagePart), std::string::npos) << result.message;
    EXPECT_EQ(result.message.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    TruncatedFiles, RejectedPacks,
    ::testing::Values(RejectCase{"empty file", [] { return Bytes{}; }, PackFault::TruncatedHeader, "header"},
                      RejectCase{"header cut", [] { return basePack().cutAt(11).bytes; },
                                 PackFault::TruncatedHeader, "header"},
                      RejectCase{"name records cut",
                                 [] { return basePack().cutAt(kPackHeaderSize + 20).bytes; },
                                 PackFault::TruncatedNameRecords, "3 records"},
                      RejectCase{"count beyond the records", [] { return basePack().setCount(0xFFFF).bytes; },
                                 PackFault::TruncatedNameRecords, "65535 records"},
                      RejectCase{"cut inside a name",
                                 [] {
                                     PackBytes p = basePack();
                                     return p.cutAt(p.nameAt(1) + 3).bytes;
                                 },
                                 PackFault::TruncatedEntryTable, "entry 1"},
                      RejectCase{"cut inside a location record",
                                 [] {
                                     PackBytes p = basePack();
                                     return p.cutAt(p.locationAt(2) + 5).bytes;
                                 },
                                 PackFault::TruncatedEntryTable, "entry 2 \"canyon.mfd\""}));

INSTANTIATE_TEST_SUITE_P(
    CountsAndNameLengths, RejectedPacks,
    ::testing::Values(
        RejectCase{"count 0", [] { return basePack().setCount(0).bytes; }, PackFault::NoEntries, "0"},
        RejectCase{"only a header of zeros", [] { return Bytes(kPackHeaderSize, 0); }, PackFault::NoEntries,
                   "0"},
        RejectCase{"name length 0", [] { return basePack().setNameLength(1, 0).bytes; }, PackFault::NameEmpty,
                   "entry 1"},
        RejectCase{"name length 84", [] { return basePack().setNameLength(2, 84).bytes; },
                   PackFault::NameTooLong, "entry 2"},
        RejectCase{"name length 65535", [] { return basePack().setNameLength(0, 0xFFFF).bytes; },
                   PackFault::NameTooLong, "65535"}));

INSTANTIATE_TEST_SUITE_P(
    Names, RejectedPacks,
    ::testing::Values(RejectCase{"zero byte in a name",
                                 [] { return basePack().setName(0, std::string("re\0dme.txt", 10)).bytes; },
                                 PackFault::NameHasZeroByte, "entry 0 \"re\\x00dme.txt\""},
                      RejectCase{"parent component", [] { return basePack().setName(1, "..\\x.bmp").bytes; },
                                 PackFault::NameHasParentComponent, "entry 1 \"..\\x.bmp\""},
                      RejectCase{"forward-slash parent",
                                 [] { return basePack().setName(1, "../x.bmp").bytes; },
                                 PackFault::NameHasParentComponent, "entry 1"},
                      RejectCase{"drive letter", [] { return basePack().setName(2, "C:\\WIN.mfd").bytes; },
                                 PackFault::NameHasColon, "entry 2"},
                      RejectCase{"alternate data stream",
                                 [] { return basePack().setName(0, "readme:txt").bytes; },
                                 PackFault::NameHasColon, "entry 0"},
                      RejectCase{"leading backslash", [] { return basePack().setName(1, "\\hum.bmp").bytes; },
                                 PackFault::NameIsRooted, "entry 1"},
                      RejectCase{"leading slash", [] { return basePack().setName(1, "/hum.bmp").bytes; },
                                 PackFault::NameIsRooted, "entry 1"},
                      RejectCase{"device", [] { return basePack().setName(1, "NUL .bmp").bytes; },
                                 PackFault::NameIsDevice, "entry 1"}));

INSTANTIATE_TEST_SUITE_P(
    DataLocations, RejectedPacks,
    ::testing::Values(RejectCase{"data one byte past the end",
                                 [] {
                                     PackBytes p = basePack();
                                     return p.setSize(2, 6).bytes;
                                 },
                                 PackFault::DataPastEndOfFile, "entry 2 \"canyon.mfd\""},
                      RejectCase{"offset at the end with data",
                                 [] {
                                     PackBytes p = basePack();
                                     return p.setOffset(0, static_cast<std::uint32_t>(p.bytes.size())).bytes;
                                 },
                                 PackFault::DataPastEndOfFile, "entry 0"},
                      RejectCase{"offset 2^31", [] { return basePack().setOffset(1, 0x80000000u).bytes; },
                                 PackFault::OffsetTooLarge, "entry 1 \"hum6.bmp\""},
                      RejectCase{"offset 2^32-1", [] { return basePack().setOffset(1, 0xFFFFFFFFu).bytes; },
                                 PackFault::OffsetTooLarge, "entry 1"},
                      RejectCase{
                          "end of data 2^31",
                          [] { return basePack().setOffset(1, 100).setSize(1, 0x80000000u - 100).bytes; },
                          PackFault::DataEndTooLarge, "entry 1"},
                      RejectCase{"size 2^32-1", [] { return basePack().setSize(0, 0xFFFFFFFFu).bytes; },
                                 PackFault::DataEndTooLarge, "entry 0"}));

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

PackReadResult readWithTwoLargeEntries(std::uint32_t firstSize, std::uint32_t secondSize) {
    PackBytes p = basePack();
    p.setOffset(0, 100).setSize(0, firstSize).setOffset(1, 100).setSize(1, secondSize);
    ClaimedSizeSource source(p.bytes, 0x7FFFFFFFu);
    return readPackTable(source);
}

TEST(PackReader, RefusesATotalOf2To31Bytes) {
    const PackReadResult tooMuch = readWithTwoLargeEntries(0x40000000u, 0x40000000u - 5);
    EXPECT_EQ(tooMuch.fault, PackFault::TotalTooLarge);
    EXPECT_NE(tooMuch.message.find("entry 2 \"canyon.mfd\""), std::string::npos) << tooMuch.message;

    const PackReadResult justBelow = readWithTwoLargeEntries(0x40000000u, 0x40000000u - 6);
    ASSERT_TRUE(justBelow.ok()) << justBelow.message;
    EXPECT_EQ(justBelow.table.totalSize, 0x7FFFFFFF);
}

TEST(PackReader, ReportsTheFirstFaultInReadingOrder) {
    // Name lengths are checked before any name is read, names and truncation before any data location.
    EXPECT_EQ(readBytes(basePack().setName(0, "..\\me.txt\\").setNameLength(2, 90).bytes).fault,
              PackFault::NameTooLong);
    EXPECT_EQ(readBytes(basePack().setOffset(0, 0x80000000u).setName(1, "..\\x.bmp").bytes).fault,
              PackFault::NameHasParentComponent);
    PackBytes cut = basePack().setOffset(0, 0x80000000u);
    EXPECT_EQ(readBytes(cut.cutAt(cut.locationAt(2) + 5).bytes).fault, PackFault::TruncatedEntryTable);
    // Among the locations, the first entry's fault wins.
    EXPECT_EQ(readBytes(basePack().setSize(1, 100000).setOffset(2, 0x80000000u).bytes).fault,
              PackFault::DataPastEndOfFile);
}

} // namespace
} // namespace hx
