#include "progress.h"

#include <cstdio>
#include <utility>

namespace hx {

ProgressLine::ProgressLine(bool enabled, std::ostream& err, std::string label, std::uint64_t total)
    : enabled_(enabled), err_(err), label_(std::move(label)), total_(total) {}

ProgressLine::~ProgressLine() {
    // A line left open by a failure is ended so that the fault message starts on a line of its own.
    if (drawn_ && !finished_) {
        err_ << '\n';
    }
}

void ProgressLine::update(std::uint64_t done) {
    if (!enabled_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(200)) {
        return;
    }
    lastDraw_ = now;
    draw(done);
}

void ProgressLine::finish() {
    if (!enabled_ || finished_) {
        return;
    }
    draw(total_);
    err_ << '\n';
    err_.flush();
    finished_ = true;
}

void ProgressLine::draw(std::uint64_t done) {
    const unsigned percent = total_ == 0 ? 100u : static_cast<unsigned>(done * 100 / total_);
    char figures[64];
    std::snprintf(figures, sizeof figures, "%3u%% (%.1f of %.1f MB)", percent, done / 1e6, total_ / 1e6);
    err_ << '\r' << label_ << ' ' << figures << std::flush;
    drawn_ = true;
}

} // namespace hx
