// Writes pack files: the table first, then the data, streamed in constant memory whatever the pack's
// size (only the table is held). Stamped packs (the default) carry the magic, version and CRC-32s
// described in pack_layout.h, which hxpack verify checks.
//
// Use:
//   PackWriter writer(sink, {{"readme.txt", 1200}, {"hum6.bmp", 5000}});   // writes the table
//   for each entry index i in writer.dataOrder():  writer.append(bytes, n) ... until its size is reached
//   writer.finish();                                                          // patches the stamp
#pragma once

#include "pack_crc32.h"
#include "pack_io.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace hx {

struct PackItem {
    std::string name;       // the entry name, as the installer will read it
    std::uint64_t size = 0; // bytes of data the entry will get
};

struct PackWriterOptions {
    // The order of the entries' data in the file, as a permutation of the entry indices; empty means
    // table order. Other orders make packs whose data lie out of table order, as the format allows.
    std::vector<std::size_t> dataOrder;
    // Write the stamp (magic, version, CRC-32s); false leaves those bytes zero, as a foreign writer
    // might.
    bool stamp = true;
};

// A pack that cannot be written within the format: no or too many entries, a bad name, data past 2^31,
// a bad data order, data that does not match the sizes given. what() is one line naming the entry.
class PackWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PackWriter {
public:
    // Checks the plan and writes the header, the name records and the entry table to `sink`, which
    // should be empty and positioned at 0. Throws PackWriteError; exceptions from the sink pass through.
    PackWriter(ByteSink& sink, std::vector<PackItem> items, PackWriterOptions options = {});

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    const std::vector<std::size_t>& dataOrder() const { return order_; }
    // The entry whose data append() takes next, or npos once all data has been written.
    std::size_t currentEntry() const;
    std::uint32_t offsetOf(std::size_t entry) const { return offsets_.at(entry); }
    std::uint64_t packSize() const { return packSize_; }

    // Appends data to the current entry; `count` may not exceed what the entry still lacks. The writer
    // moves on to the next entry in data order when one is complete (empty entries are complete at once).
    void append(const void* data, std::size_t count);

    // Checks that every entry got all its data and, for a stamped pack, writes the CRC-32s and the stamp
    // into the header and the name records. The sink is left positioned at the end of the pack.
    void finish();

private:
    void planLayout();
    void writeTable();
    void skipCompleteEntries();

    ByteSink& sink_;
    std::vector<PackItem> items_;
    std::vector<std::size_t> order_;
    bool stamp_;

    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint8_t> nameRecords_;
    std::vector<std::uint8_t> entryTable_;
    std::vector<std::uint32_t> crcs_;
    std::uint64_t packSize_ = 0;

    std::size_t orderPosition_ = 0; // index into order_ of the entry being written
    std::uint64_t entryWritten_ = 0;
    Crc32 entryCrc_;
    bool finished_ = false;
};

} // namespace hx
