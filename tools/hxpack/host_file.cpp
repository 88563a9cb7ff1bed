#include "host_file.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace hx {
namespace {

#ifdef _WIN32
using FileOffset = __int64;
constexpr int kBinary = _O_BINARY;
int openFile(const char* path, int flags) {
    return ::_open(path, flags | kBinary, _S_IREAD | _S_IWRITE);
}
int closeFile(int fd) {
    return ::_close(fd);
}
long long readFile(int fd, void* buffer, std::size_t count) {
    return ::_read(fd, buffer, static_cast<unsigned>(count));
}
long long writeFile(int fd, const void* data, std::size_t count) {
    return ::_write(fd, data, static_cast<unsigned>(count));
}
FileOffset seekFile(int fd, FileOffset offset, int whence) {
    return ::_lseeki64(fd, offset, whence);
}
bool isTerminal(int fd) {
    return ::_isatty(fd) != 0;
}
#else
using FileOffset = off_t;
int openFile(const char* path, int flags) {
    return ::open(path, flags | O_CLOEXEC, 0644);
}
int closeFile(int fd) {
    return ::close(fd);
}
long long readFile(int fd, void* buffer, std::size_t count) {
    return ::read(fd, buffer, count);
}
long long writeFile(int fd, const void* data, std::size_t count) {
    return ::write(fd, data, count);
}
FileOffset seekFile(int fd, FileOffset offset, int whence) {
    return ::lseek(fd, offset, whence);
}
bool isTerminal(int fd) {
    return ::isatty(fd) != 0;
}
#endif

// Writes and reads go in pieces the Windows calls can take.
constexpr std::size_t kMaxPiece = 1u << 30;

std::string lastError() {
    return std::strerror(errno);
}

} // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)), fd_(openFile(path_.c_str(), O_RDONLY)) {
    if (fd_ < 0) {
        throw HostFileError(path_, "cannot open: " + lastError());
    }
}

InputFile::~InputFile() {
    closeFile(fd_);
}

std::uint64_t InputFile::size() {
    const FileOffset here = seekFile(fd_, 0, SEEK_CUR);
    const FileOffset end = seekFile(fd_, 0, SEEK_END);
    if (here < 0 || end < 0 || seekFile(fd_, here, SEEK_SET) < 0) {
        throw HostFileError(path_, "cannot find the file size: " + lastError());
    }
    return static_cast<std::uint64_t>(end);
}

void InputFile::seek(std::uint64_t offset) {
    if (seekFile(fd_, static_cast<FileOffset>(offset), SEEK_SET) < 0) {
        throw HostFileError(path_, "cannot seek: " + lastError());
    }
}

std::size_t InputFile::read(void* buffer, std::size_t count) {
    for (;;) {
        const long long got = readFile(fd_, buffer, count < kMaxPiece ? count : kMaxPiece);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw HostFileError(path_, "read error: " + lastError());
        }
    }
}

OutputFile::OutputFile(std::string path)
    : path_(std::move(path)), fd_(openFile(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC)) {
    if (fd_ < 0) {
        throw HostFileError(path_, "cannot create: " + lastError());
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        closeFile(fd_);
    }
}

void OutputFile::write(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (count > 0) {
        const long long written = writeFile(fd_, bytes, count < kMaxPiece ? count : kMaxPiece);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw HostFileError(path_,
                                "write error: " + (written < 0 ? lastError() : std::string("disk full")));
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
}

void OutputFile::seek(std::uint64_t offset) {
    if (seekFile(fd_, static_cast<FileOffset>(offset), SEEK_SET) < 0) {
        throw HostFileError(path_, "cannot seek: " + lastError());
    }
}

void OutputFile::close() {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && closeFile(fd) != 0) {
        throw HostFileError(path_, "cannot close: " + lastError());
    }
}

bool stderrIsTerminal() {
    return isTerminal(2);
}

} // namespace hx
