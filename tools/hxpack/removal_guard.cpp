#include "removal_guard.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace hx {
namespace {

// The path the signal handler removes; a fixed buffer, since the handler may not allocate.
char interruptedPath[4096];
volatile std::sig_atomic_t haveInterruptedPath = 0;

extern "C" void removeOnSignal(int signal) {
    if (haveInterruptedPath) {
#ifdef _WIN32
        std::remove(interruptedPath);
#else
        ::unlink(interruptedPath);
#endif
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandlers() {
    static const bool installed = [] {
        std::signal(SIGINT, removeOnSignal);
        std::signal(SIGTERM, removeOnSignal);
        return true;
    }();
    (void)installed;
}

} // namespace

void RemovalGuard::arm(std::string path) {
    path_ = std::move(path);
    armed_ = true;
    installHandlers();
    if (path_.size() < sizeof interruptedPath) {
        haveInterruptedPath = 0;
        std::memcpy(interruptedPath, path_.c_str(), path_.size() + 1);
        haveInterruptedPath = 1;
    }
}

RemovalGuard::~RemovalGuard() {
    if (armed_) {
        haveInterruptedPath = 0;
        std::remove(path_.c_str());
    }
}

void RemovalGuard::release() {
    if (armed_) {
        haveInterruptedPath = 0;
        armed_ = false;
    }
}

} // namespace hx
