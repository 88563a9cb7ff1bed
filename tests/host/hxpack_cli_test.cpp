// The native hxpack's commands: exit codes and first lines of output, and what each leaves on disk.
// hxpack_same_under_wine checks that hxpack.exe answers the same.
#include "commands.h"
#include "pack_fixture.h"
#include "pack_layout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace hx {
namespace {

namespace fs = std::filesystem;
using fixture::patternBytes;

struct CommandResult {
    int exitCode;
    std::string out, err;
};

class HxpackCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("hxpack-test-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "folder");
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
        std::ostringstream out, err;
        const int code = runHxpack(args, out, err, {terminal});
        return {code, out.str(), err.str()};
    }

    fs::path dir_;
};

TEST_F(HxpackCommand, EachCommandsExitCodeFirstLineAndFiles) {
    writeFile("demo.pak", "an old pack, replaced on success");
    const std::string pack = path("demo.pak"), first = writeFile("in/readme.txt", "Hello.\r\n");
    const CommandResult created = run({"create", pack, first, writeFile("in/canyon.mfd", ""),
                                       writeFile("in/hxsnd.dll", patternBytes(300000))});
    ASSERT_EQ(created.exitCode, kExitOk) << created.err;
    std::string bytes = readFile(pack);
    bytes[97 + 1234] ^= 0x20; // in hxsnd.dll's data, after a table of 89 bytes and readme's 8
    std::ofstream(path("damaged.pak"), std::ios::binary) << bytes;
    PackWriterOptions foreign;
    foreign.stamp = false;
    fixture::writeFile(path("foreign.pak"), fixture::buildPack({{"a.txt", "abc"}}, foreign));
    std::vector<std::uint8_t> bad = fixture::buildPack({{"a.txt", "abc"}});
    std::copy_n("..\\", 3, bad.begin() + kPackHeaderSize + 8); // the name becomes "..\xt"
    fixture::writeFile(path("bad.pak"), bad);
    fs::create_directories(path("out"));
    fs::create_symlink(writeFile("elsewhere.txt", "keep me"), path("out/readme.txt"));
    writeFile("x.pak", "the old pack");
    fs::create_symlink(path("x.pak"), path("link.pak"));
    const std::string badName = ": entry 0 \"..\\xt\": name has a \"..\" component";

    // The exit code, and text the first line of the output (on success) or of the errors holds; the
    // other stream stays empty, and so does the output when the expected text is empty.
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string firstLine;
    } cases[] = {
        {{"list", pack}, kExitOk, "0\treadme.txt\t89\t8\t<install>\\readme.txt"},
        {{"verify", pack}, kExitOk, pack + ": sound, 3 entries, 300008 bytes, CRC-32s match"},
        {{"extract", pack, path("out")}, kExitOk, ""},
        {{"verify", path("damaged.pak")}, kExitFault, ": entry 2 \"hxsnd.dll\": data CRC-32 mismatch"},
        {{"verify", path("foreign.pak")}, kExitOk, "no hxpack stamp"},
        {{"list", path("bad.pak")}, kExitFault, "hxpack: " + path("bad.pak") + badName},
        {{"extract", path("bad.pak"), path("bad")}, kExitFault, badName},
        {{"create", path("x.pak"), first, writeFile("two/readme.txt", "2")},
         kExitFault,
         "hxpack: " + path("two/readme.txt") + ": duplicate entry name \"readme.txt\" (also from " + first},
        {{"create", path("x.pak"), first, path("missing.txt")}, kExitFault, "missing.txt: no such file"},
        {{"create", path("x.pak"), first, path("folder")}, kExitFault, "folder: not a regular file"},
        {{"create", path("x.pak"), first, writeFile("nul.txt", "x")},
         kExitFault,
         "nul.txt: cannot be an entry"},
        // /proc claims 0 bytes but yields more: the fault comes after the table has been written.
        {{"create", path("x.pak"), first, "/proc/self/status"}, kExitFault, "status: the file changed size"},
        {{"create", path("link.pak"), first}, kExitFault, "link.pak: exists and is not a regular file"},
        {{}, kExitUsage, "hxpack: no command given"},
        {{"list", "a.pak", "b.pak"}, kExitUsage, "hxpack: list: wrong number of arguments"},
        {{"verify", "--quick", "a.pak"}, kExitUsage, "hxpack: unknown option --quick"},
    };
    for (const auto& c : cases) {
        const CommandResult result = run(c.args);
        SCOPED_TRACE(testing::Message() << (c.args.empty() ? "(none)" : c.args[0]) << ": " << result.err);
        EXPECT_EQ(result.exitCode, c.exitCode);
        const std::string& shown = c.exitCode == kExitOk ? result.out : result.err;
        EXPECT_TRUE(c.firstLine.empty() ? shown.empty() : shown.find(c.firstLine) < shown.find('\n'))
            << shown;
        EXPECT_EQ(c.exitCode == kExitOk ? result.err : result.out, "");
        EXPECT_EQ(result.err.find("\nusage: hxpack create") != std::string::npos, c.exitCode == kExitUsage);
    }
    // A link standing where an entry goes is replaced, not written through.
    EXPECT_EQ(readFile(path("out/readme.txt")), "Hello.\r\n");
    EXPECT_EQ(readFile(path("elsewhere.txt")), "keep me");
    EXPECT_EQ(readFile(path("out/hxsnd.dll")), patternBytes(300000));
    EXPECT_TRUE(fs::exists(path("out/canyon.mfd")));
    // Refused work leaves nothing, and what stood at the output stays.
    EXPECT_FALSE(fs::exists(path("bad")) || fs::exists(path("x.pak.part")));
    EXPECT_EQ(readFile(path("x.pak")), "the old pack");
    EXPECT_TRUE(fs::is_symlink(path("link.pak")));
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
