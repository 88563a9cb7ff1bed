#include "commands.h"
#include "pack_fixture.h"
#include "pack_layout.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

TEST_F(HxpackCommand, ListsExtractsAndVerifiesItsOwnPack) {
    writeFile("demo.pak", "an old pack, replaced on success");
    const std::string pack = createSamplePack();
    const CommandResult listed = run({"list", pack});
    // The table: 12 + 3 * 8 + (10 + 8) + (10 + 8) + (9 + 8) = 89 bytes, then the data in table order.
    EXPECT_EQ(listed.out, "0\treadme.txt\t89\t8\t<install>\\readme.txt\n"
                          "1\tcanyon.mfd\t97\t0\t<install>\\Multi\\canyon.mfd\n"
                          "2\thxsnd.dll\t97\t300000\t<windows>\\system\\hxsnd.dll\tkeep-existing\n"
                          "total\t3 entries\t300008 bytes\n");

    // A link standing where an entry goes is replaced, not written through.
    fs::create_directories(path("out"));
    fs::create_symlink(writeFile("elsewhere.txt", "keep me"), path("out/readme.txt"));
    EXPECT_EQ(run({"extract", pack, path("out")}).exitCode, kExitOk);
    EXPECT_EQ(readFile(path("out/readme.txt")), "Hello.\r\n");
    EXPECT_EQ(readFile(path("elsewhere.txt")), "keep me");
    EXPECT_TRUE(fs::exists(path("out/canyon.mfd")));
    EXPECT_EQ(readFile(path("out/hxsnd.dll")), patternBytes(300000));

    EXPECT_EQ(run({"verify", pack}).out, pack + ": sound, 3 entries, 300008 bytes, CRC-32s match\n");
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

TEST_F(HxpackCommand, ExtractsFolderPartsAndChecksOnlyLimitsWithoutTheStamp) {
    PackWriterOptions foreign;
    foreign.stamp = false;
    fixture::writeFile(path("maps.pak"), fixture::buildPack({{"maps\\canyon.mfd", "map"}}, foreign));
    EXPECT_EQ(run({"extract", path("maps.pak"), path("out")}).exitCode, kExitOk);
    EXPECT_EQ(readFile(path("out/maps/canyon.mfd")), "map");
    const CommandResult checked = run({"verify", path("maps.pak")});
    EXPECT_EQ(checked.exitCode, kExitOk) << checked.err;
    EXPECT_NE(checked.out.find("no hxpack stamp"), std::string::npos);
}

TEST_F(HxpackCommand, RefusesPacksOutsideTheLimitsInEveryCommand) {
    std::vector<std::uint8_t> bytes = fixture::buildPack({{"a.txt", "abc"}});
    // The name "a.txt" follows the one name record; make it "..\\xt".
    std::copy_n("..\\", 3, bytes.begin() + kPackHeaderSize + 8);
    fixture::writeFile(path("bad.pak"), bytes);
    for (const std::string command : {"list", "verify"}) {
        const CommandResult refused = run({command, path("bad.pak")});
        EXPECT_EQ(refused.exitCode, kExitFault) << command;
        EXPECT_EQ(refused.err,
                  "hxpack: " + path("bad.pak") + ": entry 0 \"..\\xt\": name has a \"..\" component\n");
    }
    EXPECT_EQ(run({"extract", path("bad.pak"), path("out")}).exitCode, kExitFault);
    EXPECT_FALSE(fs::exists(path("out")));
}

TEST_F(HxpackCommand, CreateNamesTheInputItCannotPackAndLeavesNoPack) {
    fs::create_directories(path("folder"));
    const std::string first = writeFile("one/readme.txt", "1");
    const std::string duplicate = writeFile("two/readme.txt", "2");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {duplicate, "duplicate entry name \"readme.txt\" (also from " + first + ")"},
        {path("missing.txt"), "no such file"},
        {path("folder"), "not a regular file"},
        {writeFile("nul.txt", "x"), "cannot be an entry: name is a Windows device name"},
    };
    for (const auto& [input, reason] : cases) {
        const CommandResult refused = run({"create", path("x.pak"), first, input});
        EXPECT_EQ(refused.exitCode, kExitFault);
        EXPECT_EQ(refused.err, "hxpack: " + input + ": " + reason + "\n");
        EXPECT_FALSE(fs::exists(path("x.pak")));
        EXPECT_FALSE(fs::exists(path("x.pak.part")));
    }
}

TEST_F(HxpackCommand, CreateKeepsWhatStandsAtTheOutputWhenItFails) {
    writeFile("x.pak", "the old pack");
    // A /proc file claims 0 bytes but yields more: the fault comes after the table has been written.
    const CommandResult halfWritten =
        run({"create", path("x.pak"), writeFile("ok.txt", "ok"), "/proc/self/status"});
    EXPECT_EQ(halfWritten.err, "hxpack: /proc/self/status: the file changed size while it was packed\n");
    EXPECT_EQ(readFile(path("x.pak")), "the old pack");
    EXPECT_FALSE(fs::exists(path("x.pak.part")));

    fs::create_directories(path("folder.pak"));
    fs::create_symlink(path("x.pak"), path("link.pak"));
    for (const std::string& out : {path("folder.pak"), path("link.pak")}) {
        const CommandResult refused = run({"create", out, path("ok.txt")});
        EXPECT_EQ(refused.exitCode, kExitFault);
        EXPECT_EQ(refused.err, "hxpack: " + out + ": exists and is not a regular file\n");
    }
    EXPECT_TRUE(fs::is_symlink(path("link.pak")));
    EXPECT_EQ(readFile(path("x.pak")), "the old pack");
}

TEST_F(HxpackCommand, BadCommandLinesExitWith2AndTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"pack"}, {"create", "out.pak"}, {"list", "a.pak", "b.pak"}, {"verify", "--quick", "a.pak"}};
    for (const auto& args : cases) {
        const CommandResult refused = run(args);
        EXPECT_EQ(refused.exitCode, kExitUsage) << args.size();
        EXPECT_NE(refused.err.find("usage: hxpack create"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
    }
}

TEST_F(HxpackCommand, DrawsProgressOnATerminalOrWhenAsked) {
    const std::string input = writeFile("data.bin", patternBytes(1000));
    EXPECT_EQ(run({"create", path("a.pak"), input}).err, "");
    for (const CommandResult& shown :
         {run({"create", "--progress", path("b.pak"), input}), run({"create", path("c.pak"), input}, true)}) {
        EXPECT_EQ(shown.exitCode, kExitOk);
        EXPECT_EQ(shown.err.front(), '\r');
        EXPECT_NE(shown.err.find("100% (0.0 of 0.0 MB)\n"), std::string::npos) << shown.err;
    }
}

} // namespace
} // namespace hx
