// The one-line progress display of hxpack's long commands, redrawn in place on stderr.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace hx {

class ProgressLine {
public:
    // Draws nothing when `enabled` is false.
    ProgressLine(bool enabled, std::ostream& err, std::string label, std::uint64_t total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Redraws at most a few times a second.
    void update(std::uint64_t done);
    // Draws the final state and ends the line.
    void finish();

private:
    void draw(std::uint64_t done);

    bool enabled_;
    std::ostream& err_;
    std::string label_;
    std::uint64_t total_;
    std::chrono::steady_clock::time_point lastDraw_{};
    bool drawn_ = false;
    bool finished_ = false;
};

} // namespace hx
