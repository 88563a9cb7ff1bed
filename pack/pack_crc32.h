// zlib's CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320) over data given in pieces:
// the checksum hxpack stores for each entry and for the table.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>

namespace hx {

class Crc32 {
public:
    void update(const void* data, std::size_t size) {
        value_ = static_cast<std::uint32_t>(crc32_z(value_, static_cast<const Bytef*>(data), size));
    }
    std::uint32_t value() const { return value_; }

private:
    std::uint32_t value_ = 0; // zlib's CRC of no bytes
};

} // namespace hx
