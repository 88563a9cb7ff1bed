#include "pack_io.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace hx {

bool ByteSource::readExactly(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t got = read(out, count);
        if (got == 0) {
            return false;
        }
        out += got;
        count -= got;
    }
    return true;
}

std::size_t MemorySource::read(void* buffer, std::size_t count) {
    if (position_ >= size_) {
        return 0;
    }
    const std::size_t available = static_cast<std::size_t>(size_ - position_);
    const std::size_t n = std::min(count, available);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

void MemorySink::write(const void* data, std::size_t count) {
    if (count == 0) {
        return;
    }
    const std::size_t end = position_ + count;
    if (end > bytes_.size()) {
        bytes_.resize(end);
    }
    std::memcpy(bytes_.data() + position_, data, count);
    position_ = end;
}

void MemorySink::seek(std::uint64_t offset) {
    if (offset > bytes_.size()) {
        throw std::out_of_range("MemorySink: seek past the end");
    }
    position_ = static_cast<std::size_t>(offset);
}

} // namespace hx
