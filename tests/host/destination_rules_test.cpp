#include "destination_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace hx {
namespace {

// The folder each rule puts a name in; only the system folder keeps a file already there. Letter case,
// names no longer than an ending, near misses and a folder part go to the install folder.
TEST(DestinationRules, RouteByEndingOrWholeNameByteForByte) {
    const std::string game = "D:\\Games\\HexbreakerDemo\\";
    const std::tuple<DestinationRule, std::string, std::vector<std::string>> cases[] = {
        {DestinationRule::Multi, game + "Multi\\", {"canyon.fld", ".mfd", "maps\\canyon.mfd"}},
        {DestinationRule::Profiles, game + "Profiles\\", {"hum6.bmp"}},
        {DestinationRule::System, "E:\\WIN\\system\\", {"video.drv"}},
        {DestinationRule::Windows, "E:\\WIN\\", {"hxduninst.exe", "ptlic32.exe"}},
        {DestinationRule::Install,
         game,
         {"readme.txt", "HUM6.BMP", "hxsnd.DLL", "mfd", "a.dll.bak", "hum10.bmp", "xptlic32.exe",
          "old\\hum6.bmp"}},
    };
    for (const auto& [rule, folder, names] : cases) {
        for (const std::string& name : names) {
            const Destination destination = chooseDestination(name, "D:\\Games\\HexbreakerDemo", "E:\\WIN");
            EXPECT_EQ(destination.path, folder + name);
            EXPECT_EQ(destination.rule, rule) << name;
            EXPECT_EQ(destination.keepExisting, rule == DestinationRule::System) << name;
        }
    }
}

} // namespace
} // namespace hx
