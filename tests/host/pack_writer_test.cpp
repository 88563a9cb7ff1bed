#include "pack_checksums.h"
#include "pack_crc32.h"
#include "pack_fixture.h"
#include "pack_layout.h"
#include "pack_reader.h"
#include "pack_writer.h"

#include <gtest/gtest.h>

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

const std::vector<FixtureEntry> kSampleEntries = {
    {"readme.txt", "123456789"},
    {"screen.bmp", patternBytes(300000, 4)},
    {"canyon.mfd", ""},
    {"maps\\harbor.fld", patternBytes(262145, 5)},
    {"hxsnd.dll", patternBytes(17, 6)},
};

std::uint32_t storedCrc(const PackEntry& entry) {
    return loadLE32(entry.nameRecord.data() + kNameRecordCrcOffset);
}

struct RoundTrip {
    Bytes pack;
    PackTable table;
};

RoundTrip writeAndRead(const std::vector<FixtureEntry>& entries, PackWriterOptions options = {}) {
    RoundTrip trip{buildPack(entries, std::move(options)), {}};
    MemorySource source(trip.pack);
    PackReadResult result = readPackTable(source);
    EXPECT_TRUE(result.ok()) << result.message;
    trip.table = std::move(result.table);
    return trip;
}

void expectSameContents(const RoundTrip& trip, const std::vector<FixtureEntry>& entries) {
    ASSERT_EQ(trip.table.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = trip.table.entries[i];
        EXPECT_EQ(entry.name, entries[i].name);
        ASSERT_EQ(entry.size, entries[i].data.size());
        EXPECT_EQ(
            std::string(trip.pack.begin() + entry.offset, trip.pack.begin() + entry.offset + entry.size),
            entries[i].data)
            << entry.name;
    }
}

struct OrderCase {
    const char* label;
    std::vector<std::size_t> order;
};

std::ostream& operator<<(std::ostream& out, const OrderCase& c) {
    return out << c.label;
}

class WriterRoundTrip : public ::testing::TestWithParam<OrderCase> {};

TEST_P(WriterRoundTrip, ReadsBackNamesDataAndChecksums) {
    PackWriterOptions options;
    options.dataOrder = GetParam().order;
    const RoundTrip trip = writeAndRead(kSampleEntries, options);
    expectSameContents(trip, kSampleEntries);

    for (std::size_t i = 0; i < kSampleEntries.size(); ++i) {
        const std::string& data = kSampleEntries[i].data;
        EXPECT_EQ(storedCrc(trip.table.entries[i]), crc32(data.data(), data.size()))
            << kSampleEntries[i].name;
    }
    // CRC-32 of "123456789" is the standard check value.
    EXPECT_EQ(storedCrc(trip.table.entries[0]), 0xCBF43926u);

    MemorySource source(trip.pack);
    const PackCheckResult check = verifyPackChecksums(source, trip.table);
    EXPECT_TRUE(check.ok()) << check.message;
    EXPECT_TRUE(check.stamped);
}

INSTANTIATE_TEST_SUITE_P(DataOrders, WriterRoundTrip,
                         ::testing::Values(OrderCase{"table order", {}},
                                           OrderCase{"reversed", {4, 3, 2, 1, 0}},
                                           OrderCase{"shuffled", {3, 0, 4, 2, 1}}));

TEST(PackWriter, LaysOutTheTableThenTheDataInDataOrder) {
    PackWriterOptions options;
    options.dataOrder = {2, 0, 1};
    const RoundTrip trip = writeAndRead({{"a", "AA"}, {"b", "BBB"}, {"c", "C"}}, options);
    const std::uint64_t tableEnd = kPackHeaderSize + 3 * kNameRecordSize + 3 * (1 + kLocationRecordSize);
    EXPECT_EQ(trip.table.tableEnd, tableEnd);
    EXPECT_EQ(trip.table.entries[2].offset, tableEnd);
    EXPECT_EQ(trip.table.entries[0].offset, tableEnd + 1);
    EXPECT_EQ(trip.table.entries[1].offset, tableEnd + 3);
    EXPECT_EQ(trip.pack.size(), tableEnd + 6);
}

TEST(PackWriter, StampsTheHeaderAndTheNameRecords) {
    const RoundTrip trip = writeAndRead(kSampleEntries);
    const Bytes& pack = trip.pack;
    EXPECT_EQ(loadLE16(pack.data()), kSampleEntries.size());
    EXPECT_EQ(std::string(pack.begin() + 2, pack.begin() + 6), "HXPK");
    EXPECT_EQ(loadLE16(pack.data() + 6), 1u);
    const std::size_t tableBytes = static_cast<std::size_t>(trip.table.tableEnd) - kPackHeaderSize;
    EXPECT_EQ(loadLE32(pack.data() + 8), crc32(pack.data() + kPackHeaderSize, tableBytes));
    for (const PackEntry& entry : trip.table.entries) {
        EXPECT_EQ(loadLE16(entry.nameRecord.data() + 4), entry.name.size());
        EXPECT_EQ(entry.nameRecord[6], 0);
        EXPECT_EQ(entry.nameRecord[7], 0);
    }
    EXPECT_TRUE(hasPackStamp(trip.table));
}

TEST(PackWriter, LeavesTheIgnoredBytesZeroWithoutTheStamp) {
    PackWriterOptions options;
    options.stamp = false;
    const RoundTrip trip = writeAndRead(kSampleEntries, options);
    expectSameContents(trip, kSampleEntries);
    EXPECT_TRUE(
        std::all_of(trip.table.header.begin() + 2, trip.table.header.end(), [](auto b) { return b == 0; }));
    for (const PackEntry& entry : trip.table.entries) {
        EXPECT_EQ(storedCrc(entry), 0u);
    }
    MemorySource source(trip.pack);
    const PackCheckResult check = verifyPackChecksums(source, trip.table);
    EXPECT_TRUE(check.ok());
    EXPECT_FALSE(check.stamped);
}

// ---- the stamp finds damage ----

struct DamageCase {
    const char* label;
    std::function<void(Bytes&, const PackTable&)> damage;
    PackFault fault;
    std::string messagePart;
};

std::ostream& operator<<(std::ostream& out, const DamageCase& c) {
    return out << c.label;
}

class DamagedPacks : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedPacks, FailTheChecksums) {
    RoundTrip trip = writeAndRead(kSampleEntries);
    GetParam().damage(trip.pack, trip.table);
    MemorySource source(trip.pack);
    const PackReadResult read = readPackTable(source);
    ASSERT_TRUE(read.ok()) << read.message;
    const PackCheckResult check = verifyPackChecksums(source, read.table);
    EXPECT_EQ(check.fault, GetParam().fault);
    EXPECT_NE(check.message.find(GetParam().messagePart), std::string::npos) << check.message;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedPacks,
    ::testing::Values(
        DamageCase{
            "a data byte",
            [](Bytes& pack, const PackTable& table) { pack[table.entries[3].offset + 262144] ^= 0x01; },
            PackFault::EntryChecksumMismatch, "entry 3 \"maps\\harbor.fld\""},
        DamageCase{"a stored data CRC",
                   [](Bytes& pack, const PackTable&) { pack[kPackHeaderSize + kNameRecordSize * 4] ^= 0x80; },
                   PackFault::TableChecksumMismatch, "table"},
        DamageCase{"a name byte",
                   [](Bytes& pack, const PackTable& table) {
                       pack[table.tableEnd - kLocationRecordSize - 1] = 'L'; // hxsnd.dll -> hxsnd.dlL
                   },
                   PackFault::TableChecksumMismatch, "table"},
        DamageCase{"a data size", [](Bytes& pack, const PackTable& table) { pack[table.tableEnd - 4] -= 1; },
                   PackFault::TableChecksumMismatch, "table"},
        DamageCase{"the stamp version", [](Bytes& pack, const PackTable&) { pack[6] = 2; },
                   PackFault::UnknownStampVersion, "version 2"}));

TEST(PackChecksums, IgnoreDamageInPacksWithoutTheStamp) {
    PackWriterOptions options;
    options.stamp = false;
    RoundTrip trip = writeAndRead(kSampleEntries, options);
    trip.pack[trip.table.entries[1].offset] ^= 0xFF;
    MemorySource source(trip.pack);
    const PackCheckResult check = verifyPackChecksums(source, trip.table);
    EXPECT_TRUE(check.ok());
    EXPECT_FALSE(check.stamped);
}

TEST(PackChecksums, ReportProgressUpToTheTotal) {
    const RoundTrip trip = writeAndRead(kSampleEntries);
    MemorySource source(trip.pack);
    std::uint64_t last = 0;
    const PackCheckResult check = verifyPackChecksums(source, trip.table, [&last](std::uint64_t done) {
        EXPECT_GT(done, last);
        last = done;
    });
    EXPECT_TRUE(check.ok());
    EXPECT_EQ(last, static_cast<std::uint64_t>(trip.table.totalSize));
}

// ---- what the writer refuses ----

struct RefusalCase {
    const char* label;
    std::function<void()> attempt;
    std::string messagePart;
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
    return out << c.label;
}

class WriterRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WriterRefuses, WithAOneLineReason) {
    try {
        GetParam().attempt();
        FAIL() << "no PackWriteError";
    } catch (const PackWriteError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().messagePart), std::string::npos) << error.what();
    }
}

void writeItems(std::vector<PackItem> items, PackWriterOptions options = {}) {
    MemorySink sink;
    PackWriter writer(sink, std::move(items), std::move(options));
}

INSTANTIATE_TEST_SUITE_P(
    Plans, WriterRefuses,
    ::testing::Values(RefusalCase{"no entries", [] { writeItems({}); }, "at least one"},
                      RefusalCase{"too many entries",
                                  [] {
                                      writeItems(std::vector<PackItem>(kMaxEntries + 1, {"n", 0}));
                                  },
                                  "65535"},
                      RefusalCase{"an unsafe name",
                                  [] {
                                      writeItems({{"ok.txt", 1}, {"..\\win.ini", 1}});
                                  },
                                  "entry 1 \"..\\win.ini\": name has a \"..\" component"},
                      RefusalCase{"a name too long",
                                  [] {
                                      writeItems({{std::string(84, 'x'), 1}});
                                  },
                                  "84"},
                      RefusalCase{"data reaching 2^31",
                                  [] {
                                      writeItems({{"a", 100}, {"big.dat", 0x80000000u - 120}});
                                  },
                                  "entry 1 \"big.dat\""},
                      RefusalCase{"an order that is not a permutation",
                                  [] {
                                      PackWriterOptions options;
                                      options.dataOrder = {0, 0};
                                      writeItems({{"a", 1}, {"b", 1}}, options);
                                  },
                                  "permutation"}));

INSTANTIATE_TEST_SUITE_P(Data, WriterRefuses,
                         ::testing::Values(RefusalCase{"more data than the entry's size",
                                                       [] {
                                                           MemorySink sink;
                                                           PackWriter writer(sink, {{"a", 2}, {"b", 2}});
                                                           writer.append("abc", 3);
                                                       },
                                                       "entry 0 \"a\": more data"},
                                           RefusalCase{"data missing at the end",
                                                       [] {
                                                           MemorySink sink;
                                                           PackWriter writer(sink, {{"a", 2}, {"b", 2}});
                                                           writer.append("ab", 2);
                                                           writer.append("b", 1);
                                                           writer.finish();
                                                       },
                                                       "entry 1 \"b\": data ends after 1 of 2 bytes"}));

TEST(PackWriter, MovesOnByItselfAndSkipsEmptyEntries) {
    MemorySink sink;
    PackWriter writer(sink, {{"empty0", 0}, {"a", 2}, {"empty2", 0}, {"b", 1}});
    EXPECT_EQ(writer.currentEntry(), 1u);
    writer.append("a", 1);
    EXPECT_EQ(writer.currentEntry(), 1u);
    writer.append("a", 1);
    EXPECT_EQ(writer.currentEntry(), 3u);
    writer.append("b", 1);
    EXPECT_EQ(writer.currentEntry(), PackWriter::npos);
    writer.finish();
    EXPECT_EQ(sink.bytes().size(), writer.packSize());
}

} // namespace
} // namespace hx

namespace hx {
namespace {

TEST(IoBuffer, IsPageAlignedWhateverItsSize) {
    for (const std::size_t size : {1u, 4096u, 131072u, 262145u}) {
        IoBuffer buffer(size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % 4096, 0u) << size;
        EXPECT_EQ(buffer.size(), size);
        buffer.data()[size - 1] = 1;
    }
}

} // namespace
} // namespace hx
