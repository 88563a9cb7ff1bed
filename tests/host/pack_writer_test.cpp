#include "pack_checksums.h"
#include "pack_fixture.h"
#include "pack_layout.h"
#include "pack_reader.h"
#include "pack_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace hx {
namespace {

using fixture::FixtureEntry;
using fixture::patternBytes;
using Bytes = std::vector<std::uint8_t>;

const std::vector<FixtureEntry> kSampleEntries = {
    {"readme.txt", "123456789"},
    {"screen.bmp", patternBytes(300000, 4)},
    {"canyon.mfd", ""},
    {"maps\\harbor.fld", patternBytes(262145, 5)},
};

struct RoundTrip {
    Bytes pack;
    PackTable table;
};

RoundTrip writeAndRead(PackWriterOptions options = {}) {
    RoundTrip trip{fixture::buildPack(kSampleEntries, std::move(options)), {}};
    MemorySource source(trip.pack);
    PackReadResult result = readPackTable(source);
    EXPECT_TRUE(result.ok()) << result.message;
    trip.table = std::move(result.table);
    return trip;
}

// Stamped or not, in any data order; without the stamp, damage to the data goes unnoticed. (hxpack_cli
// compares a whole stamped pack byte for byte with one laid out by tests/fuzz/make-seeds.py.)
TEST(PackWriter, WritesWhatTheReaderReadsBackStampedOnlyWhenAsked) {
    for (const auto& [order, stamp] :
         {std::pair{std::vector<std::size_t>{}, true}, {{3, 0, 2, 1}, true}, {{}, false}}) {
        PackWriterOptions options;
        options.dataOrder = order;
        options.stamp = stamp;
        RoundTrip trip = writeAndRead(options);
        const Bytes& pack = trip.pack;
        ASSERT_EQ(trip.table.entries.size(), kSampleEntries.size());
        for (std::size_t i = 0; i < kSampleEntries.size(); ++i) {
            const PackEntry& entry = trip.table.entries[i];
            EXPECT_EQ(entry.name, kSampleEntries[i].name);
            EXPECT_EQ(std::string(pack.begin() + entry.offset, pack.begin() + entry.offset + entry.size),
                      kSampleEntries[i].data);
        }
        EXPECT_EQ(pack.size(), trip.table.tableEnd + static_cast<std::uint64_t>(trip.table.totalSize));
        // The standard check value of "123456789", entry 0's data.
        EXPECT_EQ(loadLE32(trip.table.entries[0].nameRecord.data() + kNameRecordCrcOffset),
                  stamp ? 0xCBF43926u : 0u);
        if (!stamp)
            trip.pack[trip.table.entries[1].offset] ^= 0xFF;
        MemorySource source(trip.pack);
        const PackCheckResult checked = verifyPackChecksums(source, trip.table);
        EXPECT_TRUE(checked.ok()) << checked.message;
        EXPECT_EQ(checked.stamped, stamp);
    }
}

TEST(PackChecksums, FindDamageInStampedPacks) {
    const struct {
        const char* label;
        std::function<void(Bytes&, const PackTable&)> damage;
        PackFault fault;
        std::string messagePart;
    } cases[] = {
        {"a data byte", [](Bytes& p, const PackTable& t) { p[t.entries[3].offset + 262144] ^= 0x01; },
         PackFault::EntryChecksumMismatch, "entry 3 \"maps\\harbor.fld\""},
        {"a stored data CRC",
         [](Bytes& p, const PackTable&) { p[kPackHeaderSize + kNameRecordSize * 3] ^= 0x80; },
         PackFault::TableChecksumMismatch, "table"},
        {"a data size", [](Bytes& p, const PackTable& t) { p[t.tableEnd - 4] -= 1; },
         PackFault::TableChecksumMismatch, "table"},
        {"the stamp version", [](Bytes& p, const PackTable&) { p[6] = 2; }, PackFault::UnknownStampVersion,
         "version 2"},
    };
    for (const auto& c : cases) {
        RoundTrip trip = writeAndRead();
        c.damage(trip.pack, trip.table);
        MemorySource source(trip.pack);
        const PackReadResult read = readPackTable(source);
        ASSERT_TRUE(read.ok()) << c.label << ": " << read.message;
        const PackCheckResult checked = verifyPackChecksums(source, read.table);
        EXPECT_EQ(checked.fault, c.fault) << c.label;
        EXPECT_NE(checked.message.find(c.messagePart), std::string::npos)
            << c.label << ": " << checked.message;
    }
}

// What the writer refuses, with a one-line reason: the plan (items and order), or data that does
// not fit it (`feed` appends the data of entries 0 and 1 and finishes).
TEST(PackWriter, RefusesWhatThePackCannotHoldWithAOneLineReason) {
    const struct {
        std::vector<PackItem> items;
        std::vector<std::size_t> order;
        std::vector<std::string> feed;
        std::string reason;
    } cases[] = {
        {{}, {}, {}, "at least one"},
        {std::vector<PackItem>(kMaxEntries + 1, {"n", 0}), {}, {}, "65535"},
        {{{"ok.txt", 1}, {"..\\win.ini", 1}}, {}, {}, "entry 1 \"..\\win.ini\": name has a \"..\" component"},
        {{{"a", 100}, {"big.dat", 0x80000000u - 152}}, {}, {}, "entry 1 \"big.dat\""}, // data ends at 2^31
        {{{"a", 100}, {"big.dat", 0x80000000u - 153}}, {}, {}, "no PackWriteError"},   // a byte short
        {{{"a", 1}, {"b", 1}}, {0, 0}, {}, "permutation"},
        {{{"a", 2}, {"b", 2}}, {}, {"abc"}, "entry 0 \"a\": more data"},
        {{{"a", 2}, {"b", 2}}, {}, {"ab", "b"}, "entry 1 \"b\": data ends after 1 of 2 bytes"},
    };
    for (const auto& c : cases) {
        std::string what = "no PackWriteError";
        try {
            MemorySink sink;
            PackWriterOptions options;
            options.dataOrder = c.order;
            PackWriter writer(sink, c.items, options);
            for (const std::string& data : c.feed)
                writer.append(data.data(), data.size());
            if (!c.feed.empty())
                writer.finish();
        } catch (const PackWriteError& error) {
            what = error.what();
        }
        EXPECT_NE(what.find(c.reason), std::string::npos) << what;
        EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
}

} // namespace
} // namespace hx
