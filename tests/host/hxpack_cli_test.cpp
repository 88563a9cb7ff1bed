#include "commands.h"
#include "pack_fixture.h"
#include "pack_layout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace hx {
namespace {

namespace fs = std::filesystem;
using fixture::patternBytes;

struct CommandResult {
    int exitCode;
    std::string out;
    std::string err;
};

class HxpackCommand : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("hxpack-test-" + std::to_string(::getpid()) + "-" + test->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::string writeFile(const std::string& name, const std::string& contents) const {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(path(name), std::ios::binary) << contents;
        return path(name);
    }

    static std::string readFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static CommandResult run(const std::vector<std::string>& args, bool terminal = false) {
        std::ostringstream out;
        std::ostringstream err;
        const int code = runHxpack(args, out, err, {terminal});
        return {code, out.str(), err.str()};
    }

    // readme.txt, canyon.mfd (empty) and hxsnd.dll, packed by create.
    std::string createSamplePack() {
        const CommandResult created =
            run({"create", path("demo.pak"), writeFile("in/readme.txt", "Hello.\r\n"),
                 writeFile("in/canyon.mfd", ""), writeFile("in/hxsnd.dll", patternBytes(300000))});
        EXPECT_EQ(created.exitCode, kExitOk) << created.err;
        EXPECT_EQ(created.err, "");
        return path("demo.pak");
    }

    fs::path dir_;
};

TEST_F(HxpackCommand, ListsEachEntryWithItsDestinationThenTheTotal) {
    const CommandResult listed = run({"list", createSamplePack()});
    EXPECT_EQ(listed.exitCode, kExitOk) << listed.err;
    // The table: 12 + 3 * 8 + (10 + 8) + (10 + 8) + (9 + 8) = 89 bytes, then the data in table order.
    EXPECT_EQ(listed.out, "0\treadme.txt\t89\t8\t<install>\\readme.txt\n"
                          "1\tcanyon.mfd\t97\t0\t<install>\\Multi\\canyon.mfd\n"
                          "2\thxsnd.dll\t97\t300000\t<windows>\\system\\hxsnd.dll\tkeep-existing\n"
                          "total\t3 entries\t300008 bytes\n");
}

TEST_F(HxpackCommand, ExtractsEveryEntryUnderTheDirectoryByItsName) {
    const std::string pack = createSamplePack();
    const CommandResult extracted = run({"extract", pack, path("out")});
    EXPECT_EQ(extracted.exitCode, kExitOk) << extracted.err;
    EXPECT_EQ(readFile(path("out/readme.txt")), "Hello.\r\n");
    EXPECT_TRUE(fs::exists(path("out/canyon.mfd")));
    EXPECT_EQ(fs::file_size(path("out/canyon.mfd")), 0u);
    EXPECT_EQ(readFile(path("out/hxsnd.dll")), patternBytes(300000));
}

TEST_F(HxpackCommand, ExtractsNamesWithADirectoryPartIntoSubdirectories) {
    fixture::writeFile(path("maps.pak"), fixture::buildPack({{"maps\\canyon.mfd", "map"}, {"top.txt", "t"}}));
    const CommandResult extracted = run({"extract", path("maps.pak"), path("out")});
    EXPECT_EQ(extracted.exitCode, kExitOk) << extracted.err;
    EXPECT_EQ(readFile(path("out/maps/canyon.mfd")), "map");
    EXPECT_EQ(readFile(path("out/top.txt")), "t");
}

TEST_F(HxpackCommand, ReplacesLinksInTheDirectoryInsteadOfWritingThroughThem) {
    const std::string pack = createSamplePack();
    fs::create_directories(path("out"));
    fs::create_symlink(writeFile("elsewhere.txt", "keep me"), path("out/readme.txt"));
    EXPECT_EQ(run({"extract", pack, path("out")}).exitCode, kExitOk);
    EXPECT_FALSE(fs::is_symlink(path("out/readme.txt")));
    EXPECT_EQ(readFile(path("out/readme.txt")), "Hello.\r\n");
    EXPECT_EQ(readFile(path("elsewhere.txt")), "keep me");
}

TEST_F(HxpackCommand, VerifiesTheChecksumsOfItsOwnPacks) {
    const std::string pack = createSamplePack();
    const CommandResult sound = run({"verify", pack});
    EXPECT_EQ(sound.exitCode, kExitOk) << sound.err;
    EXPECT_EQ(sound.out, pack + ": sound, 3 entries, 300008 bytes, CRC-32s match\n");

    std::string bytes = readFile(pack);
    bytes[97 + 1234] ^= 0x20;
    std::ofstream(pack, std::ios::binary | std::ios::trunc) << bytes;
    const CommandResult damaged = run({"verify", pack});
    EXPECT_EQ(damaged.exitCode, kExitFault);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(damaged.err.rfind("hxpack: " + pack + ": entry 2 \"hxsnd.dll\": data CRC-32 mismatch", 0), 0u)
        << damaged.err;
    EXPECT_EQ(std::count(damaged.err.begin(), damaged.err.end(), '\n'), 1);
}

TEST_F(HxpackCommand, ChecksOnlyLimitsAndNamesOfPacksWithoutTheStamp) {
    PackWriterOptions foreign;
    foreign.stamp = false;
    fixture::writeFile(path("foreign.pak"), fixture::buildPack({{"a.txt", "abc"}}, foreign));
    const CommandResult checked = run({"verify", path("foreign.pak")});
    EXPECT_EQ(checked.exitCode, kExitOk) << checked.err;
    EXPECT_NE(checked.out.find("no hxpack stamp"), std::string::npos);
}

TEST_F(HxpackCommand, RefusesPacksOutsideTheLimitsInEveryCommand) {
    std::vector<std::uint8_t> bytes = fixture::buildPack({{"a.txt", "abc"}});
    // The name "a.txt" follows the one name record; make it "..\\xt".
    bytes[kPackHeaderSize + 8] = '.';
    bytes[kPackHeaderSize + 9] = '.';
    bytes[kPackHeaderSize + 10] = '\\';
    fixture::writeFile(path("bad.pak"), bytes);
    for (const std::string command : {"list", "verify"}) {
        const CommandResult refused = run({command, path("bad.pak")});
        EXPECT_EQ(refused.exitCode, kExitFault) << command;
        EXPECT_EQ(refused.err,
                  "hxpack: " + path("bad.pak") + ": entry 0 \"..\\xt\": name has a \"..\" component\n");
    }
    const CommandResult extract = run({"extract", path("bad.pak"), path("out")});
    EXPECT_EQ(extract.exitCode, kExitFault);
    EXPECT_FALSE(fs::exists(path("out")));
}

class HxpackUsage : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(HxpackUsage, ExitsWith2AndTheUsageText) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runHxpack(GetParam(), out, err, {}), kExitUsage);
    EXPECT_NE(err.str().find("usage: hxpack create"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(BadCommandLines, HxpackUsage,
                         ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"pack"},
                                           std::vector<std::string>{"create", "out.pak"},
                                           std::vector<std::string>{"list"},
                                           std::vector<std::string>{"list", "a.pak", "b.pak"},
                                           std::vector<std::string>{"extract", "a.pak"},
                                           std::vector<std::string>{"verify", "--quick", "a.pak"}));

TEST_F(HxpackCommand, RefusesDuplicateBaseNamesAndWritesNothing) {
    const CommandResult refused =
        run({"create", path("x.pak"), writeFile("one/readme.txt", "1"), writeFile("two/readme.txt", "2")});
    EXPECT_EQ(refused.exitCode, kExitFault);
    EXPECT_EQ(refused.err, "hxpack: " + path("two/readme.txt") +
                               ": duplicate entry name \"readme.txt\" (also from " + path("one/readme.txt") +
                               ")\n");
    EXPECT_FALSE(fs::exists(path("x.pak")));
    EXPECT_FALSE(fs::exists(path("x.pak.part")));
}

TEST_F(HxpackCommand, NamesTheFileThatCannotBePacked) {
    fs::create_directories(path("folder"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {path("missing.txt"), "no such file"},
        {path("folder"), "not a regular file"},
        {writeFile("nul.txt", "x"), "cannot be an entry: name is a Windows device name"},
    };
    for (const auto& [input, reason] : cases) {
        const CommandResult refused = run({"create", path("x.pak"), writeFile("ok.txt", "ok"), input});
        EXPECT_EQ(refused.exitCode, kExitFault);
        EXPECT_EQ(refused.err, "hxpack: " + input + ": " + reason + "\n");
        EXPECT_FALSE(fs::exists(path("x.pak")));
    }
}

TEST_F(HxpackCommand, RemovesAHalfWrittenPackAndKeepsAnOldOne) {
    writeFile("x.pak", "the old pack");
    // A /proc file claims 0 bytes but yields more: the fault comes after the table has been written.
    const CommandResult refused =
        run({"create", path("x.pak"), writeFile("ok.txt", "ok"), "/proc/self/status"});
    EXPECT_EQ(refused.exitCode, kExitFault);
    EXPECT_EQ(refused.err, "hxpack: /proc/self/status: the file changed size while it was packed\n");
    EXPECT_EQ(readFile(path("x.pak")), "the old pack");
    EXPECT_FALSE(fs::exists(path("x.pak.part")));
}

TEST_F(HxpackCommand, RefusesToReplaceAnythingButARegularFile) {
    const std::string input = writeFile("ok.txt", "ok");
    fs::create_directories(path("folder.pak"));
    fs::create_symlink(writeFile("target.pak", "the old pack"), path("link.pak"));
    for (const std::string& out : {path("folder.pak"), path("link.pak")}) {
        const CommandResult refused = run({"create", out, input});
        EXPECT_EQ(refused.exitCode, kExitFault);
        EXPECT_EQ(refused.err, "hxpack: " + out + ": exists and is not a regular file\n");
    }
    EXPECT_TRUE(fs::is_symlink(path("link.pak")));
    EXPECT_EQ(readFile(path("target.pak")), "the old pack");
}

TEST_F(HxpackCommand, ReplacesAnExistingPackOnSuccess) {
    writeFile("demo.pak", "the old pack");
    const std::string pack = createSamplePack();
    EXPECT_EQ(run({"verify", pack}).exitCode, kExitOk);
}

TEST_F(HxpackCommand, DrawsProgressOnATerminalOrWhenAsked) {
    const std::string input = writeFile("data.bin", patternBytes(1000));
    const CommandResult quiet = run({"create", path("a.pak"), input});
    EXPECT_EQ(quiet.err, "");
    const CommandResult asked = run({"create", "--progress", path("b.pak"), input});
    const CommandResult terminal = run({"create", path("c.pak"), input}, true);
    for (const CommandResult& shown : {asked, terminal}) {
        EXPECT_EQ(shown.exitCode, kExitOk);
        EXPECT_EQ(shown.err.front(), '\r');
        EXPECT_NE(shown.err.find("100% (0.0 of 0.0 MB)\n"), std::string::npos) << shown.err;
    }
}

} // namespace
} // namespace hx
