#include "pack_checksums.h"

#include "pack_crc32.h"
#include "pack_layout.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace hx {
namespace {

constexpr std::size_t kCheckChunk = 128 * 1024;

std::string hex32(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

PackCheckResult mismatch(PackFault fault, std::string message) {
    PackCheckResult result;
    result.fault = fault;
    result.message = std::move(message);
    result.stamped = true;
    return result;
}

std::uint32_t tableCrc(const PackTable& table) {
    Crc32 crc;
    for (const PackEntry& entry : table.entries) {
        crc.update(entry.nameRecord.data(), entry.nameRecord.size());
    }
    for (const PackEntry& entry : table.entries) {
        crc.update(entry.name.data(), entry.name.size());
        crc.update(entry.locationRecord.data(), entry.locationRecord.size());
    }
    return crc.value();
}

} // namespace

bool hasPackStamp(const PackTable& table) {
    return std::equal(kStampMagic.begin(), kStampMagic.end(), table.header.begin() + kStampMagicOffset);
}

PackCheckResult verifyPackChecksums(ByteSource& source, const PackTable& table,
                                    const std::function<void(std::uint64_t)>& progress) {
    PackCheckResult result;
    if (!hasPackStamp(table)) {
        return result;
    }
    result.stamped = true;

    const std::uint16_t version = loadLE16(table.header.data() + kStampVersionOffset);
    if (version != kStampVersion) {
        return mismatch(PackFault::UnknownStampVersion,
                        "unknown hxpack stamp version " + std::to_string(version));
    }
    const std::uint32_t storedTableCrc = loadLE32(table.header.data() + kStampTableCrcOffset);
    if (const std::uint32_t actual = tableCrc(table); actual != storedTableCrc) {
        return mismatch(PackFault::TableChecksumMismatch, "table CRC-32 mismatch (stored " +
                                                              hex32(storedTableCrc) + ", computed " +
                                                              hex32(actual) + ")");
    }

    IoBuffer buffer(kCheckChunk);
    std::uint64_t checked = 0;
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const PackEntry& entry = table.entries[i];
        source.seek(entry.offset);
        Crc32 crc;
        for (std::uint32_t left = entry.size; left > 0;) {
            const std::size_t chunk = std::min<std::size_t>(left, buffer.size());
            if (!source.readExactly(buffer.data(), chunk)) {
                return mismatch(PackFault::TruncatedData, entryLabel(i, entry.name) + ": " +
                                                              describePackFault(PackFault::TruncatedData));
            }
            crc.update(buffer.data(), chunk);
            left -= static_cast<std::uint32_t>(chunk);
            checked += chunk;
            if (progress) {
                progress(checked);
            }
        }
        const std::uint32_t stored = loadLE32(entry.nameRecord.data() + kNameRecordCrcOffset);
        if (crc.value() != stored) {
            return mismatch(PackFault::EntryChecksumMismatch,
                            entryLabel(i, entry.name) + ": data CRC-32 mismatch (stored " + hex32(stored) +
                                ", computed " + hex32(crc.value()) + ")");
        }
    }
    return result;
}

} // namespace hx
