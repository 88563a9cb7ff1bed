// Reads the table of a pack file (layout in pack_layout.h) and refuses packs outside the format's limits
// or with names that would write outside their destination folder.
#pragma once

#include "pack_fault.h"
#include "pack_io.h"
#include "pack_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hx {

struct PackEntry {
    std::string name;                                               // the L name bytes, as read
    std::array<std::uint8_t, kNameRecordSize> nameRecord{};         // as read
    std::array<std::uint8_t, kLocationRecordSize> locationRecord{}; // as read
    std::uint32_t offset = 0; // decoded from the location record: from the start of the file
    std::uint32_t size = 0;   // decoded from the location record: bytes of data
};

struct PackTable {
    std::array<std::uint8_t, kPackHeaderSize> header{}; // as read; N is its first 16 bits
    std::vector<PackEntry> entries;                     // N entries, table order
    std::int32_t totalSize = 0;                         // sum of all sizes; below 2^31 by the limits
    std::uint64_t tableEnd = 0;                         // file offset just past the entry table
};

struct PackReadResult {
    PackFault fault = PackFault::None;
    // One line for the user when fault is not None, naming the entry by index and name where one is
    // concerned, e.g. `entry 3 "..\\boot.ini": name has a ".." component`. Empty on success.
    std::string message;
    PackTable table; // complete on success; undefined content otherwise

    bool ok() const { return fault == PackFault::None; }
};

// Reads the table the way the installer does: seek to 0, the 12-byte header, N name records, then for
// each entry its name (L bytes from its name record) and its location record. Reports the first fault
// met in this order:
//   1. the file ends inside the header; N is 0; the file ends inside the name records;
//   2. a name length (all are checked before any name is read) is 0 or 84 or more;
//   3. entry by entry: the file ends inside the name, the name fails checkEntryName (pack_names.h), the
//      file ends inside the location record;
//   4. entry by entry, once the whole table is read: offset, offset + size or the running total reach
//      2^31, or offset + size lies beyond the end of the file.
// On success the source is positioned at entry 0's data offset. Exceptions from the source (I/O
// errors) pass through unchanged.
PackReadResult readPackTable(ByteSource& source);

// Makes a name printable in a one-line message: bytes outside 0x20-0x7E become \xHH.
std::string printableName(const std::string& name);

// How messages name an entry: `entry 3`, or with its name `entry 3 "..\\boot.ini"` (printable).
std::string entryLabel(std::size_t index);
std::string entryLabel(std::size_t index, const std::string& name);

} // namespace hx
