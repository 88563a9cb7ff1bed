#include "browse_rules.h"

#include "paths.h"

#include <algorithm>
#include <climits>
#include <cstdio>

ULONGLONG FreeBytesFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters) {
    return ULONGLONG{sectorsPerCluster} * bytesPerSector * freeClusters;
}

int FreeMegabytes(ULONGLONG bytes) {
    const ULONGLONG megabytes = bytes / (1024 * 1024);
    return megabytes > static_cast<ULONGLONG>(INT_MAX) ? INT_MAX : static_cast<int>(megabytes);
}

std::string FreeSpaceText(int freeMB) {
    char text[40];
    std::snprintf(text, sizeof text, "Available space %dMB", freeMB);
    return text;
}

bool HasRoomToInstall(int freeMB) {
    return freeMB >= kRequiredFreeMB;
}

std::vector<std::string> SplitPathPieces(const std::string& path) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(FindSeparator(path, start), path.size());
        if (end > start)
            pieces.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string PathFromLabels(const std::string& drive, const std::vector<std::string>& ancestorsBelowRoot,
                           const std::string& itemText) {
    std::string path = drive + "\\";
    for (const auto& label : ancestorsBelowRoot)
        path += label + "\\";
    return path + itemText;
}

bool IsRecycledFolder(const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return upper == "RECYCLED";
}

void SortAsTreeLabels(std::vector<std::string>& names) {
    // The control compares its labels with the platform's string comparison of the user's locale, on
    // their wide form. lstrcmpA compares the ANSI names the same way (Windows NT and later widen them
    // first), and unlike lstrcmpW it works on Windows 98 and ME, which export lstrcmpW but fail it.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpA(a.c_str(), b.c_str()) < 0;
    });
}
