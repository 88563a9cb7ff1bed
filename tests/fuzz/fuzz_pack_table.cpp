// Fuzzes the pack table reader: whatever the bytes, it returns a fault or a table that keeps every
// limit, and what it accepts can be written again and read back the same.
#include "pack_checksums.h"
#include "pack_layout.h"
#include "pack_names.h"
#include "pack_reader.h"
#include "pack_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

void checkTable(const hx::PackTable& table, std::size_t fileSize) {
    require(!table.entries.empty() && table.entries.size() == hx::loadLE16(table.header.data()),
            "entry count");
    std::int64_t total = 0;
    for (const hx::PackEntry& entry : table.entries) {
        require(hx::checkEntryName(entry.name) == hx::PackFault::None, "accepted name passes the check");
        require(hx::loadLE16(entry.nameRecord.data() + hx::kNameRecordLengthOffset) == entry.name.size(),
                "name length");
        const std::uint64_t end = std::uint64_t{entry.offset} + entry.size;
        require(end <= fileSize && end < hx::kPackOffsetLimit, "data range inside the file and below 2^31");
        total += entry.size;
    }
    require(total == table.totalSize, "total size");
}

// Writes the accepted entries again and reads them back.
void checkRoundTrip(const hx::PackTable& table, const std::uint8_t* data) {
    std::vector<hx::PackItem> items;
    for (const hx::PackEntry& entry : table.entries)
        items.push_back({entry.name, entry.size});
    hx::MemorySink sink;
    hx::PackWriter writer(sink, items);
    for (const std::size_t index : writer.dataOrder())
        writer.append(data + table.entries[index].offset, table.entries[index].size);
    writer.finish();

    hx::MemorySource source(sink.bytes());
    const hx::PackReadResult again = hx::readPackTable(source);
    require(again.ok() && again.table.entries.size() == table.entries.size(),
            "rewritten pack is accepted whole");
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const hx::PackEntry& before = table.entries[i];
        const hx::PackEntry& after = again.table.entries[i];
        require(after.name == before.name && after.size == before.size &&
                    std::memcmp(sink.bytes().data() + after.offset, data + before.offset, before.size) == 0,
                "rewritten entry");
    }
    require(hx::verifyPackChecksums(source, again.table).ok(), "rewritten checksums");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx::MemorySource source(data, size);
    const hx::PackReadResult result = hx::readPackTable(source);
    if (!result.ok()) {
        require(!result.message.empty() && result.message.find('\n') == std::string::npos,
                "one-line message");
        return 0;
    }
    require(result.message.empty(), "no message on success");
    require(source.position() == result.table.entries.front().offset, "positioned at entry 0's data");
    checkTable(result.table, size);

    const hx::PackCheckResult check = hx::verifyPackChecksums(source, result.table);
    require(check.stamped == hx::hasPackStamp(result.table), "stamp detection");
    require(check.ok() || !check.message.empty(), "checksum fault has a message");

    if (result.table.totalSize <= (1 << 20)) {
        checkRoundTrip(result.table, data);
    }
    return 0;
}
