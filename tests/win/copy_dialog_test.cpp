// The copy progress dialog, run modally in-process on packs from the pack writer.
#include "app.h"
#include "copy_progress.h"
#include "copy_progress_dlg.h"
#include "pack_fixture.h"
#include "pack_layout.h"
#include "paths.h"
#include "product.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

namespace {
using hx::fixture::FixtureEntry;
using hx::fixture::patternBytes;
using uitest::ConfirmAnswer;
using Names = std::vector<std::string>;

constexpr DWORD kPiece = kCopyPieceSize;
const std::string kCopyFailed = "hand Error!: Error occurred while copying files.";
const std::string kWriteFailed = kCopyFailed + " Please check free space of your hard disk.";

std::string ReadWholeFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// Everything under a folder, as sorted paths relative to it.
Names Listing(const std::string& folder) {
    Names names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(entry.path().string().substr(folder.size() + 1));
    std::sort(names.begin(), names.end());
    return names;
}

// Each tick as "current fileDone totalDone totalBar fileBar fileText"; one that was not allowed
// to copy as "idle current fileDone".
struct ObservedCopyDlg : CCopyProgressDlg {
    Names ticks;
    std::function<void(ObservedCopyDlg&)> afterTick;

    bool OnTimer(UINT_PTR id) override { // the dialog's one timer, the copy tick
        std::ostringstream tick;
        if (!m_bActive)
            tick << "idle " << m_nCurrent << ' ' << m_dwFileDone;
        const bool handled = CCopyProgressDlg::OnTimer(id);
        if (tick.str().empty())
            tick << m_nCurrent << ' ' << m_dwFileDone << ' ' << m_dwTotalDone << ' '
                 << m_progressTotal.GetPos() << ' ' << m_progressFile.GetPos() << ' '
                 << m_staticFile.GetWindowText();
        ticks.push_back(tick.str());
        if (afterTick)
            afterTick(*this);
        return handled;
    }
};

class CopyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        for (const std::string& folder : {m_base, m_source, m_windows, m_system, m_games})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }

    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(m_base);
    }

    std::string PackPath() const { return JoinPath(m_source, "hxdemo.pak"); }

    void WritePack(const std::vector<FixtureEntry>& entries, hx::PackWriterOptions options = {}) const {
        hx::fixture::writeFile(PackPath(), hx::fixture::buildPack(entries, std::move(options)));
    }

    // Runs the copy dialog on this test's folders. It must end with `result` and, after a failure (-1)
    // only, the one error box `box` and the quit with code 18. It stands as the main window, so that the
    // exit question it asks is owned by it as in the program.
    void RunCopyDialog(INT_PTR result, const std::string& box = "",
                       std::function<void(ObservedCopyDlg&)> afterTick = {}) {
        m_user.boxes.clear();
        ObservedCopyDlg dialog;
        dialog.m_strSourceDir = m_source;
        dialog.m_strInstallDir = m_install;
        dialog.m_strSystemRoot = m_windows;
        dialog.afterTick = afterTick;
        AfxGetApp()->m_pMainWnd = &dialog;
        EXPECT_EQ(dialog.DoModal(), result);
        AfxGetApp()->m_pMainWnd = nullptr;
        m_ticks = dialog.ticks;
        uitest::ExpectQuit(result == -1 ? std::optional<int>(kQuitExitCode) : std::nullopt);
        EXPECT_EQ(m_user.boxes, box.empty() ? Names{} : Names{box});
    }

    const std::string m_base = "C:\\hxcopytest";
    const std::string m_source = JoinPath(m_base, "cd"), m_games = JoinPath(m_base, "games");
    std::string m_windows = JoinPath(m_base, "windows");
    const std::string m_system = JoinPath(m_windows, "system");
    std::string m_install = JoinPath(m_games, "HexbreakerDemo");
    uitest::User m_user;
    Names m_ticks;
};

// Quotient first, in double precision, truncated: 29 of 100 is 28 (0.29 * 100 is 28.999999999999996).
TEST(CopyProgress, BarPositionsTruncateTheDoubleQuotientTimesHundred) {
    const std::tuple<double, double, int> cases[] = {{29, 100, 28}, {57, 100, 56}, {262144, 262145, 99},
                                                     {0, 0, 0},     {7, 7, 100},   {1, 2147483647.0, 0}};
    for (const auto& [done, whole, position] : cases)
        EXPECT_EQ(ProgressPosition(done, whole), position) << done << " of " << whole;
}

TEST_F(CopyDialogTest, EachTickCopiesOnePieceOfOneEntryWhereverItsDataLies) {
    const std::vector<FixtureEntry> entries = {
        {"empty.txt", ""}, {"one.dat", patternBytes(kPiece, 1)}, {"two.dat", patternBytes(kPiece + 1, 2)}};
    WritePack(entries, {{2, 1, 0}});                           // the data stored back to front
    ASSERT_TRUE(CreateDirectoryA(m_install.c_str(), nullptr)); // longer files where they go: replaced whole
    for (const FixtureEntry& entry : entries)
        hx::fixture::writeFile(JoinPath(m_install, entry.name), std::vector<std::uint8_t>(kPiece + 2, 'x'));

    RunCopyDialog(IDOK);

    EXPECT_EQ(m_ticks, (Names{
                           "1 0 0 0 0 empty.txt",           // an empty entry: one tick
                           "2 0 262144 49 0 one.dat",       // one piece: one tick
                           "2 262144 524288 99 99 two.dat", // a piece and a byte: two ticks
                           "3 0 524289 100 0 two.dat",
                       }));
    EXPECT_EQ(Listing(m_install), (Names{"Multi", "Profiles", "empty.txt", "one.dat", "two.dat"}));
    for (const FixtureEntry& entry : entries)
        EXPECT_EQ(ReadWholeFile(JoinPath(m_install, entry.name)), entry.data) << entry.name;
}

// Both sides of both limits (259 characters a path, 248 its folder part); then under 242 "Multi\\canyon.mfd"
// fits at 259, under 244 (Wine opens 260) not: the copying fails as on a full disk rather than skip it.
TEST_F(CopyDialogTest, AnInstallDirectoryAtThePathLimitInstallsCompletelyOrFails) {
    for (const auto& [folder, name, tooLong] : {std::tuple{248, 10, false}, {248, 11, true}, {249, 1, true}})
        EXPECT_EQ(DestinationTooLong(std::string(folder, 'f') + "\\" + std::string(name, 'n')), tooLong);
    WritePack({{"readme.txt", "read me"}, {"canyon.mfd", patternBytes(612, 3)}, {"last.txt", "the end"}});
    for (const size_t length : {242, 244}) {
        SCOPED_TRACE(length);
        const std::string parent = JoinPath(m_games, std::string(length - m_games.size() - 16, 'd'));
        ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
        m_install = JoinPath(parent, "HexbreakerDemo");
        ASSERT_EQ(m_install.size(), length);

        const bool fits = length == 242;
        RunCopyDialog(fits ? IDOK : -1, fits ? "" : kWriteFailed);
        const Names installed = {"Multi", "Multi\\canyon.mfd", "Profiles", "last.txt", "readme.txt"};
        EXPECT_EQ(Listing(m_install), fits ? installed : Names{"Profiles"});
        EXPECT_EQ(m_ticks.back(), fits ? "3 0 626 100 0 last.txt" : "1 0 7 1 0 canyon.mfd");
        uitest::RemoveTree(parent);
    }
}

// The close message takes the Cancel button's way (the pack, the timer and the entry tables stay),
// and so does a click on Cancel.
TEST_F(CopyDialogTest, CloseOrCancelPausesAndResumeGoesOnInTheSameFileAtTheSameOffset) {
    const std::string game = patternBytes(8 * kPiece + 123, 5);
    WritePack({{"readme.txt", "read me"}, {"game.dat", game}});
    m_user.answers = {ConfirmAnswer::Resume, ConfirmAnswer::Resume};
    HWND copyDialog = nullptr;
    m_user.atQuestion = [&](HWND question) {
        EXPECT_EQ(GetWindow(question, GW_OWNER), copyDialog);
        EXPECT_FALSE(IsWindowEnabled(copyDialog));
    };

    RunCopyDialog(IDOK, "", [&](ObservedCopyDlg& dialog) {
        copyDialog = dialog.m_hWnd;
        if (dialog.ticks.back().rfind("1 786432 ", 0) == 0) // game.dat, 3 pieces written
            dialog.PostMessage(WM_CLOSE);
        else if (dialog.ticks.back().rfind("1 1310720 ", 0) == 0) // 5 pieces
            PostMessageA(dialog.GetDlgItem(IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(m_user.questions, 2);
    // While each question was open ticks came and did nothing; no piece was copied twice.
    const auto idle = std::stable_partition(
        m_ticks.begin(), m_ticks.end(), [](const std::string& tick) { return tick.rfind("idle", 0) != 0; });
    EXPECT_EQ(std::set<std::string>(idle, m_ticks.end()),
              (std::set<std::string>{"idle 1 786432", "idle 1 1310720"}));
    EXPECT_EQ(idle - m_ticks.begin(), 1 + 9);
    EXPECT_EQ(ReadWholeFile(JoinPath(m_install, "game.dat")), game);
}

TEST_F(CopyDialogTest, CancelThenExitRemovesExactlyTheFilesNamed) {
    // Files from an earlier run, named by entries this run never reaches, and the system's own DLL.
    ASSERT_TRUE(CreateDirectoryA(m_install.c_str(), nullptr) &&
                CreateDirectoryA(JoinPath(m_install, "Multi").c_str(), nullptr));
    for (const std::string& old : {JoinPath(m_install, "late.txt"), JoinPath(m_install, "Multi\\late.mfd")})
        std::ofstream(old) << "old";
    std::ofstream(JoinPath(m_system, "hxaudio.dll")) << "the system's own copy";
    // Removed: readme.txt (install folder), Multi's .mfd, game.dat (half written), late.* (not reached).
    // clang-format off
    WritePack({{"readme.txt", "read me"}, {"map1.mfd", "map"}, {"level.scr", "scr"}, {"level.fld", "fld"},
               {"hum6.bmp", "face"}, {"hxduninst.exe", "uninstaller"}, {"hxaudio.dll", "audio"},
               {"game.dat", patternBytes(4 * kPiece, 6)}, {"late.txt", "new"}, {"late.mfd", "new"}});
    // clang-format on
    m_user.answers = {ConfirmAnswer::Exit};

    RunCopyDialog(IDCANCEL, "", [](ObservedCopyDlg& dialog) {
        if (dialog.ticks.back().rfind("7 524288 524324 ", 0) == 0) // game.dat, 2 pieces; the DLL's bytes too
            PostMessageA(dialog.GetDlgItem(IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(m_user.questions, 1);
    EXPECT_EQ(Listing(m_install),
              (Names{"Multi", "Multi\\level.fld", "Multi\\level.scr", "Profiles", "Profiles\\hum6.bmp"}));
    EXPECT_EQ(Listing(m_windows), (Names{"hxduninst.exe", "system", "system\\hxaudio.dll"}));
    EXPECT_EQ(ReadWholeFile(JoinPath(m_system, "hxaudio.dll")), "the system's own copy");
}

// The pack reader's refusals are tested on the host; here two of them and a missing pack end the dialog.
TEST_F(CopyDialogTest, AMissingOrRefusedPackEndsTheProgramBeforeAnythingIsWritten) {
    const std::vector<std::uint8_t> pack = hx::fixture::buildPack({{"readme.txt", "data"}});
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"no pack", {}},
        {"shorter than its table", {pack.begin(), pack.end() - 1}},
        {"no entries", std::vector<std::uint8_t>(hx::kPackHeaderSize, 0)}};
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        DeleteFileA(PackPath().c_str());
        if (!bytes.empty())
            hx::fixture::writeFile(PackPath(), bytes);

        RunCopyDialog(-1, kCopyFailed);
        EXPECT_TRUE(m_ticks.empty());
        EXPECT_EQ(Listing(m_games), (Names{"HexbreakerDemo", "HexbreakerDemo\\Profiles"}));
        uitest::RemoveTree(m_install);
    }
}

// The build links "hxduninst.exe" in HX_WRITE_FAILS_DIR to /dev/full: given as the Windows directory
// (through Z:, the Unix root), it opens but takes no data, as on a full disk.
TEST_F(CopyDialogTest, AWriteFailureReportsCleansUpAndQuits) {
    const char* folder = std::getenv("HX_WRITE_FAILS_DIR");
    ASSERT_TRUE(folder && *folder) << "HX_WRITE_FAILS_DIR names no folder: run the test through ctest";
    m_windows = std::string("Z:") + folder;
    std::replace(m_windows.begin(), m_windows.end(), '/', '\\');
    WritePack(
        {{"readme.txt", "read me"}, {"hum6.bmp", "face"}, {"hxduninst.exe", patternBytes(kPiece + 1, 9)}});

    RunCopyDialog(-1, kWriteFailed);
    EXPECT_EQ(m_ticks, (Names{"1 0 7 0 0 readme.txt", "2 0 11 0 0 hum6.bmp", "2 0 11 0 0 hxduninst.exe"}));
    EXPECT_EQ(Listing(m_install), (Names{"Profiles", "Profiles\\hum6.bmp"}));
}

} // namespace
