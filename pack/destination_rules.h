// Where each pack entry goes, chosen from its name alone. The first matching rule wins; names and
// endings compare byte for byte, so letter case matters. A name's ending is its last four characters,
// or the whole name when it is shorter.
//
//   rule  name test                                  destination                         existing file
//   1     ending ".mfd", ".scr" or ".fld"            install + "\Multi\" + name          replaced
//   2     "default.jpg", "hum6.bmp" ... "hum9.bmp"   install + "\Profiles\" + name       replaced
//   3     ending ".dll", ".drv" or ".wnd"            windows + "\system\" + name         kept; entry skipped
//   4     "ptlic32.exe" or "hxduninst.exe"           windows + "\" + name                replaced
//   5     anything else                              install + "\" + name                replaced
#pragma once

#include <string>
#include <string_view>

namespace hx {

// The install directory's two folders of rules 1 and 2.
constexpr const char* kMultiFolder = "Multi";
constexpr const char* kProfilesFolder = "Profiles";

// A name's ending: its last four characters, or the whole name when it is shorter.
std::string_view nameEnding(std::string_view name);

enum class DestinationRule {
    Multi = 1,    // install directory\Multi
    Profiles = 2, // install directory\Profiles
    System = 3,   // Windows directory\system, an existing file is kept
    Windows = 4,  // Windows directory
    Install = 5,  // install directory
};

struct Destination {
    std::string path;
    // True for rule 3 only: when a file exists at `path` the entry is skipped and the file left alone.
    bool keepExisting = false;
    DestinationRule rule = DestinationRule::Install;
};

// The rule that routes `name`.
DestinationRule destinationRuleFor(std::string_view name);

// The destination of an entry. `installDir` and `windowsDir` come without a trailing backslash
// ("C:\HexbreakerDemo", "C:\WINDOWS"); the parts are joined with single backslashes as the table shows.
Destination chooseDestination(std::string_view name, std::string_view installDir,
                              std::string_view windowsDir);

} // namespace hx
