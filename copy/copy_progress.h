#pragma once
// The arithmetic and the paths of the copy dialog, free of windows: the piece a tick copies, the
// positions of the progress bars and the paths the clean-up pass deletes.

#include <cstdint>
#include <string>

// A tick copies at most this many bytes of one entry.
constexpr std::uint32_t kCopyPieceSize = 0x40000;

// The piece of an entry of `size` bytes that follows the first `done` bytes: a full piece while
// more than one remains (done + piece < size), else the rest, which finishes the entry. An empty
// entry is one empty, finishing piece.
struct CopyPiece {
    std::uint32_t count = 0;
    bool finishesEntry = false;
};
CopyPiece NextCopyPiece(std::uint32_t done, std::uint32_t size);

// A progress bar position on the scale 0 to 100: (done / whole) * 100 in IEEE double precision,
// quotient first, truncated toward zero; 0 when whole is 0. The order matters: 29 of 100 gives 28.
int ProgressPosition(double done, double whole);

// The file the clean-up pass deletes for an entry: in "Multi" for a name whose ending is ".mfd",
// else in the install directory. Endings compare byte for byte, as the destination rules do.
std::string CleanupPath(const std::string& installDir, const std::string& name);

// Whether a destination path lies beyond what the system's ANSI file functions take: a path of
// MAX_PATH (260) characters or more, or a folder part longer than the 248 characters a folder
// created by the system may have. Such an entry cannot be written however the disk stands.
bool DestinationTooLong(const std::string& path);
