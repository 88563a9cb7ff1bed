#include "copy_progress.h"

#include "destination_rules.h"
#include "paths.h"

#include <float.h>

namespace {
// Sets the x87 unit to round every result to double precision while it lives, so a quotient and
// a product come out exactly as IEEE doubles, not in the unit's extended precision.
class DoublePrecisionScope {
public:
    DoublePrecisionScope() : m_saved(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~DoublePrecisionScope() { _controlfp(m_saved, _MCW_PC); }
    DoublePrecisionScope(const DoublePrecisionScope&) = delete;
    DoublePrecisionScope& operator=(const DoublePrecisionScope&) = delete;

private:
    unsigned int m_saved;
};

constexpr std::size_t kMaxPathLength = 260;                   // MAX_PATH, the terminator included
constexpr std::size_t kMaxFolderLength = kMaxPathLength - 12; // room left for an 8.3 name
} // namespace

CopyPiece NextCopyPiece(std::uint32_t done, std::uint32_t size) {
    if (done + kCopyPieceSize < size)
        return {kCopyPieceSize, false};
    return {size - done, true};
}

int ProgressPosition(double done, double whole) {
    if (whole == 0.0)
        return 0;
    const DoublePrecisionScope precision;
    // Every intermediate goes through memory, where it is a double, after the precision is set.
    volatile double dividend = done;
    volatile double divisor = whole;
    volatile double quotient = dividend / divisor;
    volatile double percent = quotient * 100.0;
    return static_cast<int>(percent);
}

std::string CleanupPath(const std::string& installDir, const std::string& name) {
    if (hx::nameEnding(name) == ".mfd")
        return JoinPath(JoinPath(installDir, hx::kMultiFolder), name);
    return JoinPath(installDir, name);
}

bool DestinationTooLong(const std::string& path) {
    if (path.size() >= kMaxPathLength)
        return true;
    const std::size_t folderEnd = FindLastSeparator(path);
    return folderEnd != std::string::npos && folderEnd > kMaxFolderLength;
}
