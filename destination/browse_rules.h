#pragma once
// The directory browser's plain rules: free-space arithmetic, path pieces, folder names and their
// order. No window.

#include <windows.h>

#include <string>
#include <vector>

// The free space a drive needs before the browser accepts a folder on it, in MB.
constexpr int kRequiredFreeMB = 70;

// Bytes in `freeClusters` clusters of `sectorsPerCluster` sectors of `bytesPerSector` bytes,
// exactly (64 bits hold the largest product of the three 32-bit counts).
ULONGLONG FreeBytesFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters);
// Whole MB in `bytes`, at most 2^31-1.
int FreeMegabytes(ULONGLONG bytes);
// The text of the free-space control: "Available space 812MB".
std::string FreeSpaceText(int freeMB);
bool HasRoomToInstall(int freeMB);

// The non-empty pieces of a path between backslashes: "C:\GAMES\\FOO\" gives C:, GAMES, FOO.
std::vector<std::string> SplitPathPieces(const std::string& path);
// The path of a tree item: the drive's root, the labels of the item's ancestors below the tree's
// root (outermost first), then the item's own label; a drive root alone ends in a backslash.
std::string PathFromLabels(const std::string& drive, const std::vector<std::string>& ancestorsBelowRoot,
                           const std::string& itemText);

// The recycle folder that the browser never lists: RECYCLED in any letter case (RECYCLER is listed).
bool IsRecycledFolder(const std::string& name);

// Sorts folder names into the order the tree control gives children inserted at their sorted place
// (TVI_SORT): its label comparison. Names that compare equal (two folders of one folder never do)
// keep the order given.
void SortAsTreeLabels(std::vector<std::string>& names);
