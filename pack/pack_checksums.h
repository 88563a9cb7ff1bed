// Checks the stamp hxpack's writer leaves in the bytes the installer ignores (pack_layout.h).
#pragma once

#include "pack_reader.h"

#include <cstdint>
#include <functional>
#include <string>

namespace hx {

// Whether header bytes 2-5 hold the magic "HXPK".
bool hasPackStamp(const PackTable& table);

struct PackCheckResult {
    PackFault fault = PackFault::None;
    std::string message;  // one line naming the entry, empty when sound
    bool stamped = false; // the pack carries the magic, so its checksums were checked

    bool ok() const { return fault == PackFault::None; }
};

// For a stamped pack, checks the stamp version, the table's CRC-32 (recomputed from `table`) and, reading
// each entry's data from `source`, every entry's CRC-32, stopping at the first mismatch. A pack without
// the magic has nothing to check and passes with `stamped` false. `progress`, when given, hears the
// number of data bytes checked so far. Exceptions from the source pass through.
PackCheckResult verifyPackChecksums(ByteSource& source, const PackTable& table,
                                    const std::function<void(std::uint64_t)>& progress = {});

} // namespace hx
