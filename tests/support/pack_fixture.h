// Whole packs in memory, for tests on the host and under Windows. Header only: include it and link
// hxpack_format.
#pragma once

#include "pack_io.h"
#include "pack_writer.h"

#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace hx::fixture {

struct FixtureEntry {
    std::string name;
    std::string data;
};

// A stamped pack (see PackWriterOptions for out-of-order data and unstamped packs) holding `entries`
// in table order. Throws PackWriteError for what the format cannot hold.
inline std::vector<std::uint8_t> buildPack(const std::vector<FixtureEntry>& entries,
                                           PackWriterOptions options = {}) {
    std::vector<PackItem> items;
    for (const FixtureEntry& entry : entries)
        items.push_back({entry.name, entry.data.size()});
    MemorySink sink;
    PackWriter writer(sink, std::move(items), std::move(options));
    for (const std::size_t index : writer.dataOrder())
        writer.append(entries[index].data.data(), entries[index].data.size());
    writer.finish();
    return sink.release();
}

// `size` bytes of a repeatable pseudo-random pattern; different seeds give different bytes.
inline std::string patternBytes(std::size_t size, std::uint32_t seed = 1) {
    std::minstd_rand random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() >> 8);
    return bytes;
}

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

} // namespace hx::fixture
