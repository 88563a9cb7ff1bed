#include "pack_reader.h"

#include "pack_names.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace hx {
namespace {

PackReadResult failure(PackFault fault, std::string detail) {
    PackReadResult result;
    result.fault = fault;
    result.message = std::move(detail);
    return result;
}

PackReadResult failureAt(std::string label, PackFault fault, const std::string& extra = {}) {
    std::string message = std::move(label) + ": " + describePackFault(fault);
    if (!extra.empty()) {
        message += " (" + extra + ")";
    }
    return failure(fault, std::move(message));
}

// Checks the location of one entry against the limits and the file; updates the running total.
PackReadResult checkLocation(const PackEntry& entry, std::size_t index, std::uint64_t fileSize,
                             std::uint64_t& total) {
    const std::uint64_t end = std::uint64_t{entry.offset} + entry.size;
    const std::string label = entryLabel(index, entry.name);
    if (entry.offset >= kPackOffsetLimit) {
        return failureAt(label, PackFault::OffsetTooLarge, "offset " + std::to_string(entry.offset));
    }
    if (end >= kPackOffsetLimit) {
        return failureAt(label, PackFault::DataEndTooLarge, "ends at " + std::to_string(end));
    }
    if (end > fileSize) {
        return failureAt(label, PackFault::DataPastEndOfFile,
                         "offset " + std::to_string(entry.offset) + ", size " + std::to_string(entry.size) +
                             ", file " + std::to_string(fileSize) + " bytes");
    }
    total += entry.size;
    if (total >= kPackOffsetLimit) {
        return failureAt(label, PackFault::TotalTooLarge, "total " + std::to_string(total));
    }
    return {};
}

// Reads the name records that follow the header, one per entry, and checks each name's length.
PackReadResult readNameRecords(ByteSource& source, std::vector<PackEntry>& entries) {
    const std::size_t count = entries.size();
    std::vector<std::uint8_t> records(count * kNameRecordSize);
    if (!source.readExactly(records.data(), records.size())) {
        return failure(PackFault::TruncatedNameRecords, "the file ends inside the name records (" +
                                                            std::to_string(count) + " records of 8 bytes)");
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::copy_n(records.data() + i * kNameRecordSize, kNameRecordSize, entries[i].nameRecord.data());
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = loadLE16(entries[i].nameRecord.data() + kNameRecordLengthOffset);
        if (length == 0) {
            return failureAt(entryLabel(i), PackFault::NameEmpty);
        }
        if (length > kMaxNameLength) {
            return failureAt(entryLabel(i), PackFault::NameTooLong, "length " + std::to_string(length));
        }
    }
    return {};
}

// Reads each entry's name, which must be a safe one, and its location record.
PackReadResult readNamesAndLocations(ByteSource& source, std::vector<PackEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        PackEntry& entry = entries[i];
        entry.name.resize(loadLE16(entry.nameRecord.data() + kNameRecordLengthOffset));
        if (!source.readExactly(entry.name.data(), entry.name.size())) {
            return failureAt(entryLabel(i), PackFault::TruncatedEntryTable, "in its name");
        }
        if (const PackFault nameFault = checkEntryName(entry.name); nameFault != PackFault::None) {
            return failureAt(entryLabel(i, entry.name), nameFault);
        }
        if (!source.readExactly(entry.locationRecord.data(), kLocationRecordSize)) {
            return failureAt(entryLabel(i, entry.name), PackFault::TruncatedEntryTable,
                             "in its location record");
        }
        entry.offset = loadLE32(entry.locationRecord.data());
        entry.size = loadLE32(entry.locationRecord.data() + 4);
    }
    return {};
}

} // namespace

std::string printableName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string entryLabel(std::size_t index) {
    return "entry " + std::to_string(index);
}

std::string entryLabel(std::size_t index, const std::string& name) {
    return entryLabel(index) + " \"" + printableName(name) + "\"";
}

PackReadResult readPackTable(ByteSource& source) {
    PackReadResult result;
    PackTable& table = result.table;

    source.seek(0);
    if (!source.readExactly(table.header.data(), table.header.size())) {
        return failure(PackFault::TruncatedHeader, "the file ends inside the 12-byte header");
    }
    const std::size_t count = loadLE16(table.header.data());
    if (count == 0) {
        return failure(PackFault::NoEntries, "the entry count is 0");
    }
    table.entries.resize(count);
    if (PackReadResult bad = readNameRecords(source, table.entries); !bad.ok()) {
        return bad;
    }
    if (PackReadResult bad = readNamesAndLocations(source, table.entries); !bad.ok()) {
        return bad;
    }

    // Data locations are checked once the whole table has been read, so that a file cut inside the
    // table is reported as such rather than as data beyond its end.
    const std::uint64_t fileSize = source.size();
    std::uint64_t total = 0;
    std::uint64_t position = kPackHeaderSize + count * kNameRecordSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (PackReadResult bad = checkLocation(table.entries[i], i, fileSize, total); !bad.ok()) {
            return bad;
        }
        position += table.entries[i].name.size() + kLocationRecordSize;
    }
    table.totalSize = static_cast<std::int32_t>(total);
    table.tableEnd = position;
    source.seek(table.entries.front().offset);
    return result;
}

} // namespace hx
