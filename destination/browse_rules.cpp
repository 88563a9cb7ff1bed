#include "browse_rules.h"

#include "paths.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <numeric>

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
    // The control compares its labels as wide strings with the platform's string comparison;
    // converting each name once keeps the sort at N log N comparisons.
    std::vector<std::vector<WCHAR>> wide(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const int length = MultiByteToWideChar(CP_ACP, 0, names[i].c_str(), -1, nullptr, 0);
        wide[i].resize(static_cast<size_t>(std::max(length, 1)));
        MultiByteToWideChar(CP_ACP, 0, names[i].c_str(), -1, wide[i].data(), length);
    }
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return lstrcmpW(wide[a].data(), wide[b].data()) < 0; });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const size_t index : order)
        sorted.push_back(std::move(names[index]));
    names = std::move(sorted);
}
