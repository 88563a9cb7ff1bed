// Removes a file that hxpack is writing unless it is completed: on a fault (the guard's destructor) and
// on SIGINT/SIGTERM, so no half-written output stays behind. Declare the guard before the file object and
// arm it once the file has been created: the file is then closed before the guard removes it (Windows
// cannot remove an open file), and a file that could not be opened is never removed.
#pragma once

#include <string>

namespace hx {

class RemovalGuard {
public:
    RemovalGuard() = default;
    ~RemovalGuard();
    RemovalGuard(const RemovalGuard&) = delete;
    RemovalGuard& operator=(const RemovalGuard&) = delete;

    // From now on the file at `path` goes unless released.
    void arm(std::string path);
    // The file is complete: keep it.
    void release();

private:
    std::string path_;
    bool armed_ = false;
};

} // namespace hx
