#include "pack_writer.h"

#include "pack_layout.h"
#include "pack_names.h"
#include "pack_reader.h"

#include <algorithm>
#include <utility>

namespace hx {
namespace {

std::vector<std::size_t> checkedOrder(std::vector<std::size_t> order, std::size_t count) {
    if (order.empty()) {
        order.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            order[i] = i;
        }
        return order;
    }
    std::vector<bool> seen(count, false);
    bool permutation = order.size() == count;
    for (std::size_t i = 0; permutation && i < count; ++i) {
        permutation = order[i] < count && !seen[order[i]];
        if (permutation) {
            seen[order[i]] = true;
        }
    }
    if (!permutation) {
        throw PackWriteError("the data order is not a permutation of the entries");
    }
    return order;
}

} // namespace

PackWriter::PackWriter(ByteSink& sink, std::vector<PackItem> items, PackWriterOptions options)
    : sink_(sink), items_(std::move(items)), stamp_(options.stamp) {
    if (items_.empty()) {
        throw PackWriteError("a pack needs at least one entry");
    }
    if (items_.size() > kMaxEntries) {
        throw PackWriteError("a pack holds at most 65535 entries, not " + std::to_string(items_.size()));
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (const PackFault fault = checkEntryName(items_[i].name); fault != PackFault::None) {
            throw PackWriteError(entryLabel(i, items_[i].name) + ": " + describePackFault(fault));
        }
    }
    order_ = checkedOrder(std::move(options.dataOrder), items_.size());
    crcs_.assign(items_.size(), 0);
    planLayout();
    writeTable();
    skipCompleteEntries();
}

void PackWriter::planLayout() {
    std::uint64_t tableEnd = kPackHeaderSize + items_.size() * kNameRecordSize;
    for (const PackItem& item : items_) {
        tableEnd += item.name.size() + kLocationRecordSize;
    }
    offsets_.assign(items_.size(), 0);
    std::uint64_t position = tableEnd;
    for (const std::size_t index : order_) {
        const PackItem& item = items_[index];
        const std::uint64_t end = position + item.size;
        if (position >= kPackOffsetLimit || end >= kPackOffsetLimit) {
            throw PackWriteError(entryLabel(index, item.name) + ": the pack would reach 2^31 bytes");
        }
        offsets_[index] = static_cast<std::uint32_t>(position);
        position = end;
    }
    // The data ends below 2^31, so the total of the sizes does too.
    packSize_ = position;
}

void PackWriter::writeTable() {
    nameRecords_.assign(items_.size() * kNameRecordSize, 0);
    entryTable_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const PackItem& item = items_[i];
        storeLE16(nameRecords_.data() + i * kNameRecordSize + kNameRecordLengthOffset,
                  static_cast<std::uint16_t>(item.name.size()));
        entryTable_.insert(entryTable_.end(), item.name.begin(), item.name.end());
        std::uint8_t location[kLocationRecordSize];
        storeLE32(location, offsets_[i]);
        storeLE32(location + 4, static_cast<std::uint32_t>(item.size));
        entryTable_.insert(entryTable_.end(), location, location + kLocationRecordSize);
    }
    std::uint8_t header[kPackHeaderSize] = {};
    storeLE16(header, static_cast<std::uint16_t>(items_.size()));
    sink_.write(header, sizeof header);
    sink_.write(nameRecords_.data(), nameRecords_.size());
    sink_.write(entryTable_.data(), entryTable_.size());
}

std::size_t PackWriter::currentEntry() const {
    return orderPosition_ < order_.size() ? order_[orderPosition_] : npos;
}

void PackWriter::skipCompleteEntries() {
    while (orderPosition_ < order_.size() && entryWritten_ == items_[order_[orderPosition_]].size) {
        crcs_[order_[orderPosition_]] = entryCrc_.value();
        entryCrc_ = Crc32{};
        entryWritten_ = 0;
        ++orderPosition_;
    }
}

void PackWriter::append(const void* data, std::size_t count) {
    if (count == 0) {
        return;
    }
    const std::size_t entry = currentEntry();
    if (entry == npos || count > items_[entry].size - entryWritten_) {
        throw PackWriteError(entry == npos
                                 ? std::string("more data than the entries' sizes")
                                 : entryLabel(entry, items_[entry].name) + ": more data than its size " +
                                       std::to_string(items_[entry].size));
    }
    sink_.write(data, count);
    if (stamp_) {
        entryCrc_.update(data, count);
    }
    entryWritten_ += count;
    skipCompleteEntries();
}

void PackWriter::finish() {
    if (finished_) {
        return;
    }
    if (const std::size_t entry = currentEntry(); entry != npos) {
        throw PackWriteError(entryLabel(entry, items_[entry].name) + ": data ends after " +
                             std::to_string(entryWritten_) + " of " + std::to_string(items_[entry].size) +
                             " bytes");
    }
    if (stamp_) {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            storeLE32(nameRecords_.data() + i * kNameRecordSize + kNameRecordCrcOffset, crcs_[i]);
        }
        Crc32 tableCrc;
        tableCrc.update(nameRecords_.data(), nameRecords_.size());
        tableCrc.update(entryTable_.data(), entryTable_.size());

        std::uint8_t header[kPackHeaderSize] = {};
        storeLE16(header, static_cast<std::uint16_t>(items_.size()));
        std::copy(kStampMagic.begin(), kStampMagic.end(), header + kStampMagicOffset);
        storeLE16(header + kStampVersionOffset, kStampVersion);
        storeLE32(header + kStampTableCrcOffset, tableCrc.value());
        sink_.seek(0);
        sink_.write(header, sizeof header);
        sink_.write(nameRecords_.data(), nameRecords_.size());
        sink_.seek(packSize_);
    }
    finished_ = true;
}

} // namespace hx
