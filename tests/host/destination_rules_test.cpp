#include "destination_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

// A few rows that differ in kind: one per rule, letter case, names no longer than an ending, near
// misses of the listed names, a folder part, and the keep-existing rule of the system folder.
TEST(DestinationRules, RouteByEndingOrWholeNameByteForByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"canyon.fld", "D:\\Games\\HexbreakerDemo\\Multi\\canyon.fld"},
        {"hum6.bmp", "D:\\Games\\HexbreakerDemo\\Profiles\\hum6.bmp"},
        {"video.drv", "E:\\WIN\\system\\video.drv"},
        {"hxduninst.exe", "E:\\WIN\\hxduninst.exe"},
        {"readme.txt", "D:\\Games\\HexbreakerDemo\\readme.txt"},
        {"HUM6.BMP", "D:\\Games\\HexbreakerDemo\\HUM6.BMP"},
        {"hxsnd.DLL", "D:\\Games\\HexbreakerDemo\\hxsnd.DLL"},
        {".mfd", "D:\\Games\\HexbreakerDemo\\Multi\\.mfd"},
        {"mfd", "D:\\Games\\HexbreakerDemo\\mfd"},
        {"a.dll.bak", "D:\\Games\\HexbreakerDemo\\a.dll.bak"},
        {"hum10.bmp", "D:\\Games\\HexbreakerDemo\\hum10.bmp"},
        {"xptlic32.exe", "D:\\Games\\HexbreakerDemo\\xptlic32.exe"},
        {"old\\hum6.bmp", "D:\\Games\\HexbreakerDemo\\old\\hum6.bmp"},
        {"maps\\canyon.mfd", "D:\\Games\\HexbreakerDemo\\Multi\\maps\\canyon.mfd"},
    };
    for (const auto& [name, path] : cases) {
        const Destination destination = chooseDestination(name, "D:\\Games\\HexbreakerDemo", "E:\\WIN");
        EXPECT_EQ(destination.path, path);
        EXPECT_EQ(destination.rule, destinationRuleFor(name)) << name;
        EXPECT_EQ(destination.keepExisting, destination.rule == DestinationRule::System) << name;
    }
}

} // namespace
} // namespace hx
