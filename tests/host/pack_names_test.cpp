#include "pack_names.h"
#include "pack_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

// Names that could write outside their folder or that no Windows file can have, next to near misses
// that are ordinary file names.
TEST(EntryNames, RefuseWhatCouldEscapeAndKeepNearMisses) {
    const std::pair<std::string, PackFault> cases[] = {
        {"maps/canyon.mfd", PackFault::None},
        {"a..b", PackFault::None},
        {"console.txt", PackFault::None},
        {"com0", PackFault::None},
        {"com10.txt", PackFault::None},
        {"\xE9t\xE9.txt", PackFault::None},
        {std::string(83, 'n'), PackFault::None},
        {"", PackFault::NameEmpty},
        {std::string(84, 'n'), PackFault::NameTooLong},
        {std::string("a\0b", 3), PackFault::NameHasZeroByte},
        {"line\nbreak", PackFault::NameHasControlCharacter},
        {"c:autoexec.bat", PackFault::NameHasColon},
        {"readme.txt::$DATA", PackFault::NameHasColon},
        {"\\autoexec.bat", PackFault::NameIsRooted},
        {"//server/share/x", PackFault::NameIsRooted},
        {"..", PackFault::NameHasParentComponent},
        {"Multi/../x", PackFault::NameHasParentComponent},
        {"Multi\\..", PackFault::NameHasParentComponent},
        {"...\\x", PackFault::NameHasParentComponent},
        {". .\\x", PackFault::NameHasParentComponent},
        {"nul.txt", PackFault::NameIsDevice},
        {"com3 .txt", PackFault::NameIsDevice},
        {"Multi\\con.scr", PackFault::NameIsDevice},
        {"CONOUT$", PackFault::NameIsDevice},
    };
    for (const auto& [name, fault] : cases) {
        EXPECT_EQ(checkEntryName(name), fault) << entryLabel(0, name);
    }
}

} // namespace
} // namespace hx
