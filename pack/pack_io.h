// The byte streams the pack code reads from and writes to.
//
// The installer implements ByteSource over its CFile (whose Read, Seek and GetLength map one to one and
// which throws CFileException on I/O errors); hxpack implements both over host files; tests use the
// in-memory versions below. The pack code never catches what an implementation throws: I/O errors reach
// the caller unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace hx {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Length of the whole source in bytes.
    virtual std::uint64_t size() = 0;
    // Moves the read position to `offset` bytes from the start.
    virtual void seek(std::uint64_t offset) = 0;
    // Reads up to `count` bytes at the read position and moves past them. Returns the number read,
    // fewer than `count` only at the end of the source (0 there).
    virtual std::size_t read(void* buffer, std::size_t count) = 0;

    // Reads exactly `count` bytes; false when the source ends first (the position is then at its end).
    bool readExactly(void* buffer, std::size_t count);
};

class ByteSink {
public:
    virtual ~ByteSink() = default;

    // Writes all `count` bytes at the write position and moves past them.
    virtual void write(const void* data, std::size_t count) = 0;
    // Moves the write position to `offset` bytes from the start (at most the current length).
    virtual void seek(std::uint64_t offset) = 0;
};

// A heap buffer for bulk reads and writes, aligned to a page: the kernel copies between its page cache
// and page-aligned memory far faster than to the 16-byte alignment that malloc gives large blocks.
class IoBuffer {
public:
    explicit IoBuffer(std::size_t size) : pages_((size + kPageSize - 1) / kPageSize), size_(size) {}

    std::uint8_t* data() { return pages_.empty() ? nullptr : pages_.front().bytes; }
    std::size_t size() const { return size_; }

private:
    static constexpr std::size_t kPageSize = 4096;
    struct alignas(kPageSize) Page {
        std::uint8_t bytes[kPageSize];
    };
    std::vector<Page> pages_;
    std::size_t size_;
};

// A ByteSource over bytes the caller keeps alive.
class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    explicit MemorySource(const std::vector<std::uint8_t>& bytes)
        : MemorySource(bytes.data(), bytes.size()) {}

    std::uint64_t size() override { return size_; }
    void seek(std::uint64_t offset) override { position_ = offset; }
    std::size_t read(void* buffer, std::size_t count) override;

    std::uint64_t position() const { return position_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t position_ = 0;
};

// A ByteSink that collects the bytes in memory.
class MemorySink final : public ByteSink {
public:
    void write(const void* data, std::size_t count) override;
    void seek(std::uint64_t offset) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> release() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

} // namespace hx
