#include "pack_names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace hx {
namespace {

struct NameCase {
    std::string name;
    PackFault expected;
};

std::ostream& operator<<(std::ostream& out, const NameCase& c) {
    out << '"';
    for (const char ch : c.name) {
        if (static_cast<unsigned char>(ch) < 0x20) {
            out << "\\x" << std::hex << static_cast<int>(static_cast<unsigned char>(ch)) << std::dec;
        } else {
            out << ch;
        }
    }
    return out << '"';
}

class EntryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNames, AreCheckedAsExpected) {
    EXPECT_EQ(checkEntryName(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sound, EntryNames,
    ::testing::Values(NameCase{"readme.txt", PackFault::None}, NameCase{"maps\\canyon.mfd", PackFault::None},
                      NameCase{"maps/canyon.mfd", PackFault::None}, NameCase{".mfd", PackFault::None},
                      NameCase{"a..b", PackFault::None}, NameCase{"..a", PackFault::None},
                      NameCase{"a b.txt", PackFault::None}, NameCase{"console.txt", PackFault::None},
                      NameCase{"com0", PackFault::None}, NameCase{"com10.txt", PackFault::None},
                      NameCase{"lpt", PackFault::None}, NameCase{"\xE9t\xE9.txt", PackFault::None},
                      NameCase{std::string(83, 'n'), PackFault::None}));

INSTANTIATE_TEST_SUITE_P(OutsideTheFormat, EntryNames,
                         ::testing::Values(NameCase{"", PackFault::NameEmpty},
                                           NameCase{std::string(84, 'n'), PackFault::NameTooLong},
                                           NameCase{std::string("a\0b", 3), PackFault::NameHasZeroByte},
                                           NameCase{"a\tb", PackFault::NameHasControlCharacter},
                                           NameCase{"line\nbreak", PackFault::NameHasControlCharacter},
                                           NameCase{"\x1F", PackFault::NameHasControlCharacter}));

INSTANTIATE_TEST_SUITE_P(AbsoluteAndDrivePaths, EntryNames,
                         ::testing::Values(NameCase{"C:\\WINDOWS\\win.ini", PackFault::NameHasColon},
                                           NameCase{"c:autoexec.bat", PackFault::NameHasColon},
                                           NameCase{"readme.txt:hidden", PackFault::NameHasColon},
                                           NameCase{"readme.txt::$DATA", PackFault::NameHasColon},
                                           NameCase{"\\autoexec.bat", PackFault::NameIsRooted},
                                           NameCase{"/etc/passwd", PackFault::NameIsRooted},
                                           NameCase{"\\\\server\\share\\x", PackFault::NameIsRooted},
                                           NameCase{"//server/share/x", PackFault::NameIsRooted}));

INSTANTIATE_TEST_SUITE_P(ParentComponents, EntryNames,
                         ::testing::Values(NameCase{"..", PackFault::NameHasParentComponent},
                                           NameCase{"..\\win.ini", PackFault::NameHasParentComponent},
                                           NameCase{"../win.ini", PackFault::NameHasParentComponent},
                                           NameCase{"Multi\\..\\..\\x", PackFault::NameHasParentComponent},
                                           NameCase{"Multi/../x", PackFault::NameHasParentComponent},
                                           NameCase{"Multi\\..", PackFault::NameHasParentComponent},
                                           NameCase{"...\\x", PackFault::NameHasParentComponent},
                                           NameCase{".. \\x", PackFault::NameHasParentComponent},
                                           NameCase{". .\\x", PackFault::NameHasParentComponent}));

INSTANTIATE_TEST_SUITE_P(Devices, EntryNames,
                         ::testing::Values(NameCase{"con", PackFault::NameIsDevice},
                                           NameCase{"NUL", PackFault::NameIsDevice},
                                           NameCase{"nul.txt", PackFault::NameIsDevice},
                                           NameCase{"Aux.dat", PackFault::NameIsDevice},
                                           NameCase{"prn", PackFault::NameIsDevice},
                                           NameCase{"COM1", PackFault::NameIsDevice},
                                           NameCase{"lpt9.mfd", PackFault::NameIsDevice},
                                           NameCase{"com3 .txt", PackFault::NameIsDevice},
                                           NameCase{"Multi\\con.scr", PackFault::NameIsDevice},
                                           NameCase{"CONOUT$", PackFault::NameIsDevice}));

} // namespace
} // namespace hx
