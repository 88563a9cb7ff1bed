#include "pack_names.h"
#include "pack_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hx {
namespace {

// Names that could write outside their folder or that no Windows file can have, and near misses that
// are ordinary file names.
TEST(EntryNames, RefuseWhatCouldEscapeAndKeepNearMisses) {
    const std::pair<PackFault, std::vector<std::string>> cases[] = {
        {PackFault::None,
         {"maps/canyon.mfd", "a..b", "console.txt", "com0", "com10.txt", "\xE9t\xE9.txt",
          std::string(83, 'n')}},
        {PackFault::NameEmpty, {""}},
        {PackFault::NameTooLong, {std::string(84, 'n')}},
        {PackFault::NameHasZeroByte, {std::string("a\0b", 3)}},
        {PackFault::NameHasControlCharacter, {"line\nbreak"}},
        {PackFault::NameHasColon, {"c:autoexec.bat", "readme.txt::$DATA"}},
        {PackFault::NameIsRooted, {"\\autoexec.bat", "//server/share/x"}},
        {PackFault::NameHasParentComponent, {"..", "Multi/../x", "Multi\\..", "...\\x", ". .\\x"}},
        {PackFault::NameIsDevice, {"nul.txt", "com3 .txt", "Multi\\con.scr", "CONOUT$"}},
    };
    for (const auto& [fault, names] : cases) {
        for (const std::string& name : names)
            EXPECT_EQ(checkEntryName(name), fault) << entryLabel(0, name);
    }
}

} // namespace
} // namespace hx
