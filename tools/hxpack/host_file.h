// Host files as the pack code's byte streams, for hxpack on Linux and Windows. Every failure throws
// HostFileError, whose what() is "<path>: <reason>".
#pragma once

#include "pack_io.h"

#include <stdexcept>
#include <string>

namespace hx {

class HostFileError : public std::runtime_error {
public:
    HostFileError(const std::string& path, const std::string& reason)
        : std::runtime_error(path + ": " + reason) {}
};

class InputFile final : public ByteSource {
public:
    explicit InputFile(std::string path);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::uint64_t size() override;
    void seek(std::uint64_t offset) override;
    std::size_t read(void* buffer, std::size_t count) override;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_;
};

// Creates the file, or truncates an existing one.
class OutputFile final : public ByteSink {
public:
    explicit OutputFile(std::string path);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const void* data, std::size_t count) override;
    void seek(std::uint64_t offset) override;
    // Closes the file and reports a failure to do so (the destructor closes quietly).
    void close();

private:
    std::string path_;
    int fd_;
};

bool stderrIsTerminal();

} // namespace hx
