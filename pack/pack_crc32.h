// CRC-32 as zlib computes it (IEEE 802.3, reflected polynomial 0xEDB88320): the checksum hxpack
// stores for each entry and for the table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hx {

class Crc32 {
public:
    void update(const void* data, std::size_t size);
    std::uint32_t value() const { return ~register_; }

private:
    std::uint32_t register_ = 0xFFFFFFFFu;
};

std::uint32_t crc32(const void* data, std::size_t size);

namespace detail {
// The byte-at-a-time table method on the raw CRC register, whatever the processor offers; the fast path
// must agree with it.
std::uint32_t crc32TableUpdate(std::uint32_t crcRegister, const std::uint8_t* data, std::size_t size);
} // namespace detail

} // namespace hx
