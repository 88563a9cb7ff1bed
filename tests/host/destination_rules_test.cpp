#include "destination_rules.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace hx {
namespace {

constexpr const char* kInstall = "C:\\HexbreakerDemo";
constexpr const char* kWindows = "C:\\WINDOWS";

struct RouteCase {
    std::string name;
    std::string path;
    DestinationRule rule;
};

std::ostream& operator<<(std::ostream& out, const RouteCase& c) {
    return out << '"' << c.name << '"';
}

void expectRoute(const RouteCase& c) {
    const Destination destination = chooseDestination(c.name, kInstall, kWindows);
    EXPECT_EQ(destination.path, c.path);
    EXPECT_EQ(destination.rule, c.rule);
    EXPECT_EQ(destinationRuleFor(c.name), c.rule);
    EXPECT_EQ(destination.keepExisting, c.rule == DestinationRule::System);
}

class RoutesByRule : public ::testing::TestWithParam<RouteCase> {};
TEST_P(RoutesByRule, GoesWhereTheRuleSays) {
    expectRoute(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    EachRule, RoutesByRule,
    ::testing::Values(
        RouteCase{"canyon.mfd", "C:\\HexbreakerDemo\\Multi\\canyon.mfd", DestinationRule::Multi},
        RouteCase{"canyon.scr", "C:\\HexbreakerDemo\\Multi\\canyon.scr", DestinationRule::Multi},
        RouteCase{"canyon.fld", "C:\\HexbreakerDemo\\Multi\\canyon.fld", DestinationRule::Multi},
        RouteCase{"default.jpg", "C:\\HexbreakerDemo\\Profiles\\default.jpg", DestinationRule::Profiles},
        RouteCase{"hum6.bmp", "C:\\HexbreakerDemo\\Profiles\\hum6.bmp", DestinationRule::Profiles},
        RouteCase{"hum9.bmp", "C:\\HexbreakerDemo\\Profiles\\hum9.bmp", DestinationRule::Profiles},
        RouteCase{"hxsnd.dll", "C:\\WINDOWS\\system\\hxsnd.dll", DestinationRule::System},
        RouteCase{"video.drv", "C:\\WINDOWS\\system\\video.drv", DestinationRule::System},
        RouteCase{"shell.wnd", "C:\\WINDOWS\\system\\shell.wnd", DestinationRule::System},
        RouteCase{"ptlic32.exe", "C:\\WINDOWS\\ptlic32.exe", DestinationRule::Windows},
        RouteCase{"hxduninst.exe", "C:\\WINDOWS\\hxduninst.exe", DestinationRule::Windows},
        RouteCase{"readme.txt", "C:\\HexbreakerDemo\\readme.txt", DestinationRule::Install},
        RouteCase{"hxdemo.exe", "C:\\HexbreakerDemo\\hxdemo.exe", DestinationRule::Install}));

// Exact byte comparison: a name that differs from a listed one only in case falls through to rule 5.
class LetterCaseMatters : public ::testing::TestWithParam<RouteCase> {};
TEST_P(LetterCaseMatters, FallsThroughToTheInstallDirectory) {
    expectRoute(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    CaseVariants, LetterCaseMatters,
    ::testing::Values(RouteCase{"HUM6.BMP", "C:\\HexbreakerDemo\\HUM6.BMP", DestinationRule::Install},
                      RouteCase{"Default.jpg", "C:\\HexbreakerDemo\\Default.jpg", DestinationRule::Install},
                      RouteCase{"canyon.MFD", "C:\\HexbreakerDemo\\canyon.MFD", DestinationRule::Install},
                      RouteCase{"hxsnd.DLL", "C:\\HexbreakerDemo\\hxsnd.DLL", DestinationRule::Install},
                      RouteCase{"Ptlic32.exe", "C:\\HexbreakerDemo\\Ptlic32.exe", DestinationRule::Install},
                      RouteCase{"HXDUNINST.EXE", "C:\\HexbreakerDemo\\HXDUNINST.EXE",
                                DestinationRule::Install}));

// The ending is the last four characters, or the whole of a shorter name; listed names match whole.
class EndingsAndWholeNames : public ::testing::TestWithParam<RouteCase> {};
TEST_P(EndingsAndWholeNames, UseExactlyTheLastFourCharacters) {
    expectRoute(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    ShortAndNearNames, EndingsAndWholeNames,
    ::testing::Values(
        RouteCase{".mfd", "C:\\HexbreakerDemo\\Multi\\.mfd", DestinationRule::Multi},
        RouteCase{".dll", "C:\\WINDOWS\\system\\.dll", DestinationRule::System},
        RouteCase{"mfd", "C:\\HexbreakerDemo\\mfd", DestinationRule::Install},
        RouteCase{"x", "C:\\HexbreakerDemo\\x", DestinationRule::Install},
        RouteCase{"a.mfdx", "C:\\HexbreakerDemo\\a.mfdx", DestinationRule::Install},
        RouteCase{"a.dll.bak", "C:\\HexbreakerDemo\\a.dll.bak", DestinationRule::Install},
        RouteCase{"hum5.bmp", "C:\\HexbreakerDemo\\hum5.bmp", DestinationRule::Install},
        RouteCase{"hum10.bmp", "C:\\HexbreakerDemo\\hum10.bmp", DestinationRule::Install},
        RouteCase{"my default.jpg", "C:\\HexbreakerDemo\\my default.jpg", DestinationRule::Install},
        RouteCase{"old\\hum6.bmp", "C:\\HexbreakerDemo\\old\\hum6.bmp", DestinationRule::Install},
        RouteCase{"maps\\canyon.mfd", "C:\\HexbreakerDemo\\Multi\\maps\\canyon.mfd", DestinationRule::Multi},
        RouteCase{"xptlic32.exe", "C:\\HexbreakerDemo\\xptlic32.exe", DestinationRule::Install}));

TEST(DestinationRules, JoinTheGivenDirectoriesWithSingleBackslashes) {
    EXPECT_EQ(chooseDestination("a.fld", "D:\\Games\\HexbreakerDemo", "E:\\WIN").path,
              "D:\\Games\\HexbreakerDemo\\Multi\\a.fld");
    EXPECT_EQ(chooseDestination("hum7.bmp", "D:\\Games\\HexbreakerDemo", "E:\\WIN").path,
              "D:\\Games\\HexbreakerDemo\\Profiles\\hum7.bmp");
    EXPECT_EQ(chooseDestination("a.drv", "D:\\Games\\HexbreakerDemo", "E:\\WIN").path,
              "E:\\WIN\\system\\a.drv");
    EXPECT_EQ(chooseDestination("ptlic32.exe", "D:\\Games\\HexbreakerDemo", "E:\\WIN").path,
              "E:\\WIN\\ptlic32.exe");
    EXPECT_EQ(chooseDestination("screen.bmp", "D:\\Games\\HexbreakerDemo", "E:\\WIN").path,
              "D:\\Games\\HexbreakerDemo\\screen.bmp");
}

} // namespace
} // namespace hx
