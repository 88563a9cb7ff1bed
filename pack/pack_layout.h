// Byte layout of the game pack file ("hxdemo.pak") and its limits.
//
// Little-endian throughout:
//
//   header        12 bytes        bytes 0-1: entry count N (u16); bytes 2-11: ignored by the installer
//   name records  N x 8 bytes     record i: bytes 4-5 name length L (u16); bytes 0-3, 6-7 ignored
//   entry table   per entry       L name bytes (no terminator), then the location record:
//                                 data offset from the start of the file (u32), data size (u32)
//   data          rest            only the ranges the location records name are read
//
// The bytes the installer ignores carry this project's stamp, which makes a pack checkable:
//
//   header bytes 2-5    magic "HXPK"
//   header bytes 6-7    stamp version (u16), currently 1
//   header bytes 8-11   CRC-32 of the name records and the entry table (file bytes 12 to the table end)
//   name record 0-3     CRC-32 of the entry's data
//   name record 6-7     zero
//
// CRC-32 is the IEEE 802.3 / zlib checksum (reflected polynomial 0xEDB88320, initial value and final
// XOR 0xFFFFFFFF). Packs from other writers may hold anything in those bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace hx {

constexpr std::size_t kPackHeaderSize = 12;
constexpr std::size_t kNameRecordSize = 8;
constexpr std::size_t kLocationRecordSize = 8;

constexpr std::size_t kNameRecordLengthOffset = 4;

// The installer reads a name into an 84-byte buffer and terminates it there.
constexpr std::size_t kNameBufferSize = 84;
constexpr std::size_t kMaxNameLength = kNameBufferSize - 1;
constexpr std::size_t kMaxEntries = 65535;

// Data offsets, ends of data and the total size all stay below 2^31: the installer keeps the total in
// a signed 32-bit number.
constexpr std::uint64_t kPackOffsetLimit = 0x80000000u;

// This project's stamp in the ignored bytes.
constexpr std::array<std::uint8_t, 4> kStampMagic = {'H', 'X', 'P', 'K'};
constexpr std::size_t kStampMagicOffset = 2;
constexpr std::size_t kStampVersionOffset = 6;
constexpr std::size_t kStampTableCrcOffset = 8;
constexpr std::uint16_t kStampVersion = 1;
constexpr std::size_t kNameRecordCrcOffset = 0;

inline std::uint16_t loadLE16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t loadLE32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline void storeLE16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void storeLE32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace hx
