#include "destination_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace hx {
namespace {

// One row per rule, letter case, names no longer than an ending, near misses, a folder part.
TEST(DestinationRules, RouteByEndingOrWholeNameByteForByte) {
    const std::tuple<std::string, std::string, DestinationRule> cases[] = {
        {"canyon.fld", "D:\\Games\\HexbreakerDemo\\Multi\\canyon.fld", DestinationRule::Multi},
        {"hum6.bmp", "D:\\Games\\HexbreakerDemo\\Profiles\\hum6.bmp", DestinationRule::Profiles},
        {"video.drv", "E:\\WIN\\system\\video.drv", DestinationRule::System},
        {"hxduninst.exe", "E:\\WIN\\hxduninst.exe", DestinationRule::Windows},
        {"readme.txt", "D:\\Games\\HexbreakerDemo\\readme.txt", DestinationRule::Install},
        {"HUM6.BMP", "D:\\Games\\HexbreakerDemo\\HUM6.BMP", DestinationRule::Install},
        {"hxsnd.DLL", "D:\\Games\\HexbreakerDemo\\hxsnd.DLL", DestinationRule::Install},
        {".mfd", "D:\\Games\\HexbreakerDemo\\Multi\\.mfd", DestinationRule::Multi},
        {"mfd", "D:\\Games\\HexbreakerDemo\\mfd", DestinationRule::Install},
        {"a.dll.bak", "D:\\Games\\HexbreakerDemo\\a.dll.bak", DestinationRule::Install},
        {"hum10.bmp", "D:\\Games\\HexbreakerDemo\\hum10.bmp", DestinationRule::Install},
        {"xptlic32.exe", "D:\\Games\\HexbreakerDemo\\xptlic32.exe", DestinationRule::Install},
        {"old\\hum6.bmp", "D:\\Games\\HexbreakerDemo\\old\\hum6.bmp", DestinationRule::Install},
        {"maps\\canyon.mfd", "D:\\Games\\HexbreakerDemo\\Multi\\maps\\canyon.mfd", DestinationRule::Multi},
    };
    for (const auto& [name, path, rule] : cases) {
        const Destination destination = chooseDestination(name, "D:\\Games\\HexbreakerDemo", "E:\\WIN");
        EXPECT_EQ(destination.path, path);
        EXPECT_EQ(destination.rule, rule) << name;
        EXPECT_EQ(destination.keepExisting, rule == DestinationRule::System) << name;
    }
}

} // namespace
} // namespace hx
