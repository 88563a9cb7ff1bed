#pragma once
// Joining, splitting and searching ANSI paths. In double-byte code pages a trail byte may be 0x5C,
// so separators count only where a character of `codePage` starts; lengths stay in bytes.

#include <windows.h>

#include <string>

// The byte offset of the character after the one at `offset` (at most the text's length).
size_t NextCharOffset(const std::string& text, size_t offset, UINT codePage = CP_ACP);
// The byte offset of the first character at or after `start` (where a character begins) that is one
// of the ASCII `separators`, or npos.
size_t FindSeparator(const std::string& path, size_t start = 0, const char* separators = "\\",
                     UINT codePage = CP_ACP);
// The byte offset of the last character that is one of the ASCII `separators`, or npos.
size_t FindLastSeparator(const std::string& path, const char* separators = "\\", UINT codePage = CP_ACP);
// Whether the last character is a backslash (a drive root such as "D:\").
bool EndsWithBackslash(const std::string& path, UINT codePage = CP_ACP);
// `directory` + "\" + `name`, without doubling a trailing backslash (a drive root such as "D:\").
std::string JoinPath(const std::string& directory, const std::string& name, UINT codePage = CP_ACP);
// The last component: what follows the last backslash, slash or colon ("C:\GAMES\setup.exe" gives
// setup.exe); the whole path when it has none.
std::string LastPathComponent(const std::string& path, UINT codePage = CP_ACP);
