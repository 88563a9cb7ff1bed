// The copy progress dialog, run modally over a real main window in this process and driven by its
// own timer and by what a user's clicks produce, on packs made with the pack writer.
#include "app.h"
#include "copy_progress.h"
#include "copy_progress_dlg.h"
#include "main_dlg.h"
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
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

namespace {
namespace fs = std::filesystem;
using hx::fixture::FixtureEntry;
using hx::fixture::patternBytes;
using uitest::ConfirmAnswer;
using Names = std::vector<std::string>;

constexpr DWORD kPiece = kCopyPieceSize;
const std::string kCopyFailed = "hand Error!: Error occurred while copying files.";
const std::string kWriteFailed = kCopyFailed + " Please check free space of your hard disk.";

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Names FolderContents(const std::string& folder) {
    Names names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One tick: whether it was allowed to copy, and what the dialog then held and showed, `shown`
// being "current fileDone totalDone totalBar fileBar fileText".
struct Tick {
    bool worked = false;
    int current = 0;
    DWORD fileDone = 0;
    std::string shown;
};

class ObservedCopyDlg : public CCopyProgressDlg {
public:
    std::vector<Tick> ticks;
    std::function<void(ObservedCopyDlg&)> afterTick;

    int Current() const { return m_nCurrent; }
    DWORD FileDone() const { return m_dwFileDone; }
    CWnd* Owner() const { return m_pOwner; }

protected:
    bool OnTimer(UINT_PTR id) override {
        const bool worked = m_bActive == TRUE;
        const bool handled = CCopyProgressDlg::OnTimer(id);
        if (id == 1) {
            std::ostringstream shown;
            shown << m_nCurrent << ' ' << m_dwFileDone << ' ' << m_dwTotalDone << ' '
                  << m_progressTotal.GetPos() << ' ' << m_progressFile.GetPos() << ' '
                  << m_staticFile.GetWindowText();
            ticks.push_back({worked, m_nCurrent, m_dwFileDone, shown.str()});
            if (afterTick)
                afterTick(*this);
        }
        return handled;
    }
};

Names WorkingTicks(const std::vector<Tick>& ticks) {
    Names working;
    for (const Tick& tick : ticks)
        if (tick.worked)
            working.push_back(tick.shown);
    return working;
}

struct Folders {
    std::string source, install, windows;

    std::string Multi() const { return JoinPath(install, "Multi"); }
    std::string Profiles() const { return JoinPath(install, "Profiles"); }
    std::string System() const { return JoinPath(windows, "system"); }
};

struct CopyRun {
    INT_PTR result = 0;
    std::optional<int> quitCode; // the quit message left for the loops outside, if any
    int exitCode = 0;
    std::vector<Tick> ticks;
    Names boxes;
    int questions = 0;
    bool ownedByMainWindow = false;
};

// Runs the main window modally and, from inside its loop, the copy dialog with the main window's
// directories set to `folders`, while a user answers the exit confirmations with `answers`.
CopyRun RunCopyDialog(const Folders& folders, std::vector<ConfirmAnswer> answers = {},
                      std::function<void(ObservedCopyDlg&)> afterTick = {},
                      std::function<void(HWND)> atQuestion = {}) {
    CopyRun run;
    AfxGetApp()->m_nExitCode = 0;
    CSetupMainDlg mainWindow;
    AfxGetApp()->m_pMainWnd = &mainWindow;
    uitest::User user(std::move(answers));
    user.atQuestion = std::move(atQuestion);
    uitest::RunSoon([&] {
        mainWindow.m_strSourceDir = folders.source;
        mainWindow.m_strInstallDir = folders.install;
        mainWindow.m_strSystemRoot = folders.windows;
        ObservedCopyDlg dialog;
        dialog.afterTick = afterTick;
        run.result = dialog.DoModal();
        run.ticks = dialog.ticks;
        run.ownedByMainWindow = dialog.Owner() == &mainWindow;
        if (run.result != -1)
            mainWindow.EndDialog(IDCANCEL);
    });
    const INT_PTR mainResult = mainWindow.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    run.quitCode = uitest::TakeQuitMessage();
    run.exitCode = AfxGetApp()->m_nExitCode;
    run.boxes = user.boxes;
    run.questions = user.questions;
    EXPECT_EQ(mainResult == -1, run.result == -1) << "the quit message ends the main window's loop too";
    return run;
}

// How a run ended: `result`, and after a failure (-1) the one error box and the quit with code 18.
void ExpectEnd(const CopyRun& run, INT_PTR result, const std::string& box = "") {
    const bool failed = result == -1;
    EXPECT_EQ(run.result, result);
    EXPECT_EQ(run.quitCode, failed ? std::optional<int>(kQuitExitCode) : std::nullopt);
    EXPECT_EQ(run.exitCode, failed ? kQuitExitCode : 0);
    EXPECT_EQ(run.boxes, failed ? Names{box} : Names{});
}

class CopyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(m_base);
        m_folders = {JoinPath(m_base, "cd"), JoinPath(m_games, "HexbreakerDemo"),
                     JoinPath(m_base, "windows")};
        for (const std::string& folder :
             {m_base, m_folders.source, m_folders.windows, m_folders.System(), m_games})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }

    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(m_base);
    }

    std::string PackPath() const { return JoinPath(m_folders.source, "hxdemo.pak"); }

    void WritePack(const std::vector<FixtureEntry>& entries, hx::PackWriterOptions options = {}) const {
        hx::fixture::writeFile(PackPath(), hx::fixture::buildPack(entries, std::move(options)));
    }

    // The install directory as the failure paths leave it: "Profiles" and what it was given.
    void ExpectOnlyProfiles(const Names& profiles = {}) const {
        EXPECT_EQ(FolderContents(m_folders.install), Names{"Profiles"});
        EXPECT_EQ(FolderContents(m_folders.Profiles()), profiles);
    }

    const std::string m_base = "C:\\hxcopytest";
    const std::string m_games = JoinPath(m_base, "games");
    Folders m_folders;
};

// Quotient first, in double precision, truncated: 29 of 100 is 28 (0.29 * 100 is 28.999999999999996).
TEST(CopyProgress, BarPositionsTruncateTheDoubleQuotientTimesHundred) {
    const struct {
        double done, whole;
        int position;
    } cases[] = {
        {29, 100, 28}, {57, 100, 56}, {262144, 262145, 99}, {0, 0, 0}, {7, 7, 100}, {1, 2147483647.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPosition(c.done, c.whole), c.position) << c.done << " of " << c.whole;
}

TEST_F(CopyDialogTest, EachTickCopiesOnePieceOfOneEntryWhereverItsDataLies) {
    const std::vector<FixtureEntry> entries = {
        {"empty.txt", ""}, {"one.dat", patternBytes(kPiece, 1)}, {"two.dat", patternBytes(kPiece + 1, 2)}};
    hx::PackWriterOptions reversed;
    reversed.dataOrder = hx::fixture::reversedOrder(entries.size());
    WritePack(entries, reversed);

    const CopyRun run = RunCopyDialog(m_folders);

    ExpectEnd(run, IDOK);
    EXPECT_TRUE(run.ownedByMainWindow);
    static_assert(kPiece == 262144);
    EXPECT_EQ(WorkingTicks(run.ticks), (Names{
                                           "1 0 0 0 0 empty.txt",           // an empty entry: one tick
                                           "2 0 262144 49 0 one.dat",       // one piece: one tick
                                           "2 262144 524288 99 99 two.dat", // a piece and a byte: two ticks
                                           "3 0 524289 100 0 two.dat",
                                       }));
    for (const FixtureEntry& entry : entries)
        EXPECT_EQ(ReadWholeFile(JoinPath(m_folders.install, entry.name)), entry.data) << entry.name;
    EXPECT_TRUE(fs::is_directory(m_folders.Multi()));
    EXPECT_TRUE(fs::is_directory(m_folders.Profiles()));
}

// A path holds at most 259 characters: under an install directory of 230 every destination fits;
// under one of 245 "Multi\\canyon.mfd" does not, and the copying fails as on a full disk and cleans
// up rather than leave that entry out of an install that reports success.
TEST_F(CopyDialogTest, AnInstallDirectoryNearThePathLimitInstallsCompletelyOrFails) {
    const std::vector<FixtureEntry> entries = {
        {"readme.txt", "read me"}, {"canyon.mfd", patternBytes(612, 3)}, {"last.txt", "the end"}};
    WritePack(entries);
    for (const size_t length : {230, 245}) {
        SCOPED_TRACE(length);
        const std::string parent = JoinPath(m_games, std::string(length - m_games.size() - 16, 'd'));
        ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
        m_folders.install = JoinPath(parent, "HexbreakerDemo");
        ASSERT_EQ(m_folders.install.size(), length);

        const CopyRun run = RunCopyDialog(m_folders);

        if (length == 230) {
            ExpectEnd(run, IDOK);
            for (const FixtureEntry& entry : entries)
                EXPECT_EQ(
                    ReadWholeFile(JoinPath(entry.name == "canyon.mfd" ? m_folders.Multi() : m_folders.install,
                                           entry.name)),
                    entry.data);
        } else {
            ExpectEnd(run, -1, kWriteFailed);
            EXPECT_EQ(run.ticks.back().current, 1);
            EXPECT_EQ(FolderContents(m_folders.install), Names{"Profiles"});
        }
        uitest::RemoveTree(parent);
    }
}

// The close message takes the Cancel button's way (the pack, the timer and the entry tables stay),
// and so does a click on Cancel.
TEST_F(CopyDialogTest, CloseOrCancelPausesAndResumeGoesOnInTheSameFileAtTheSameOffset) {
    const std::string game = patternBytes(8 * kPiece + 123, 5);
    WritePack({{"readme.txt", "read me"}, {"game.dat", game}});
    HWND copyDialog = nullptr, questionOwner = nullptr;
    bool ownerEnabled = true;
    int pauses = 0;
    const auto pause = [&](ObservedCopyDlg& dialog) {
        copyDialog = dialog.m_hWnd;
        const DWORD pauseAt[] = {3 * kPiece, 5 * kPiece};
        if (pauses == 2 || dialog.Current() != 1 || dialog.FileDone() != pauseAt[pauses])
            return;
        if (pauses++ == 0)
            dialog.PostMessage(WM_CLOSE);
        else
            uitest::ClickButton(dialog.m_hWnd, IDCANCEL);
    };
    const auto lookAtQuestion = [&](HWND question) {
        questionOwner = GetWindow(question, GW_OWNER);
        ownerEnabled = IsWindowEnabled(questionOwner);
    };

    const CopyRun run =
        RunCopyDialog(m_folders, {ConfirmAnswer::Resume, ConfirmAnswer::Resume}, pause, lookAtQuestion);

    ExpectEnd(run, IDOK);
    EXPECT_EQ(run.questions, 2);
    EXPECT_EQ(questionOwner, copyDialog);
    EXPECT_FALSE(ownerEnabled);
    // While each question was open ticks came and did nothing.
    std::set<DWORD> idleAt;
    for (const Tick& tick : run.ticks)
        if (!tick.worked)
            idleAt.insert(tick.current == 1 ? tick.fileDone : 0);
    EXPECT_EQ(idleAt, (std::set<DWORD>{3 * kPiece, 5 * kPiece}));
    EXPECT_EQ(WorkingTicks(run.ticks).size(), 1u + 9u);
    EXPECT_EQ(ReadWholeFile(JoinPath(m_folders.install, "game.dat")), game);
}

TEST_F(CopyDialogTest, CancelThenExitRemovesExactlyTheFilesNamed) {
    // Files from an earlier run, named by entries this run never reaches.
    ASSERT_TRUE(CreateDirectoryA(m_folders.install.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_folders.Multi().c_str(), nullptr));
    std::ofstream(JoinPath(m_folders.install, "late.txt")) << "old";
    std::ofstream(JoinPath(m_folders.Multi(), "late.mfd")) << "old";
    std::ofstream(JoinPath(m_folders.System(), "hxaudio.dll")) << "the system's own copy";
    WritePack({
        {"readme.txt", "read me"},                 // 0: install: removed
        {"map1.mfd", "map"},                       // 1: Multi, .mfd: removed
        {"level.scr", "scr"},                      // 2: Multi: stays
        {"level.fld", "fld"},                      // 3: Multi: stays
        {"hum6.bmp", "face"},                      // 4: Profiles: stays
        {"hxduninst.exe", "uninstaller"},          // 5: Windows: stays
        {"hxaudio.dll", "audio"},                  // 6: system, there before: kept, untouched
        {"game.dat", patternBytes(4 * kPiece, 6)}, // 7: half written: removed
        {"late.txt", "new"},                       // 8: not reached: removed
        {"late.mfd", "new"},                       // 9: not reached: removed
    });
    bool cancelled = false;

    const CopyRun run = RunCopyDialog(m_folders, {ConfirmAnswer::Exit}, [&](ObservedCopyDlg& dialog) {
        if (!cancelled && dialog.Current() == 7 && dialog.FileDone() == 2 * kPiece) {
            cancelled = true;
            uitest::ClickButton(dialog.m_hWnd, IDCANCEL);
        }
    });

    ExpectEnd(run, IDCANCEL);
    EXPECT_EQ(run.questions, 1);
    for (const auto& [folder, names] : {
             std::pair{m_folders.install, Names{"Multi", "Profiles"}},
             std::pair{m_folders.Multi(), Names{"level.fld", "level.scr"}},
             std::pair{m_folders.Profiles(), Names{"hum6.bmp"}},
             std::pair{m_folders.windows, Names{"hxduninst.exe", "system"}},
             std::pair{m_folders.System(), Names{"hxaudio.dll"}},
         })
        EXPECT_EQ(FolderContents(folder), names) << folder;
    EXPECT_EQ(ReadWholeFile(JoinPath(m_folders.System(), "hxaudio.dll")), "the system's own copy");
}

// The pack reader's refusals are tested on the host; here two kinds show how the dialog ends.
TEST_F(CopyDialogTest, AMissingOrRefusedPackEndsTheProgramBeforeAnythingIsWritten) {
    const std::vector<std::uint8_t> pack = hx::fixture::buildPack({{"readme.txt", "data"}});
    const std::pair<const char*, std::optional<std::vector<std::uint8_t>>> cases[] = {
        {"no pack", std::nullopt},
        {"shorter than its table", std::vector<std::uint8_t>(pack.begin(), pack.end() - 1)},
        {"no entries", std::vector<std::uint8_t>(hx::kPackHeaderSize, 0)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        DeleteFileA(PackPath().c_str());
        if (bytes)
            hx::fixture::writeFile(PackPath(), *bytes);

        const CopyRun run = RunCopyDialog(m_folders);

        ExpectEnd(run, -1, kCopyFailed);
        EXPECT_TRUE(run.ticks.empty());
        ExpectOnlyProfiles();
        EXPECT_EQ(FolderContents(m_games), Names{"HexbreakerDemo"});
        uitest::RemoveTree(m_folders.install);
    }
}

// A destination that opens but takes no data: the build makes a folder whose "hxduninst.exe" is a
// link to /dev/full, and the dialog is given it as the Windows directory (through drive Z:, the
// Unix root), so the write fails as on a full disk while the link itself is never cleaned up.
TEST_F(CopyDialogTest, AWriteFailureReportsCleansUpAndQuits) {
    const char* folder = std::getenv("HX_WRITE_FAILS_DIR");
    ASSERT_TRUE(folder && *folder) << "HX_WRITE_FAILS_DIR names no folder: run the test through ctest";
    m_folders.windows = std::string("Z:") + folder;
    std::replace(m_folders.windows.begin(), m_folders.windows.end(), '/', '\\');
    WritePack(
        {{"readme.txt", "read me"}, {"hum6.bmp", "face"}, {"hxduninst.exe", patternBytes(kPiece + 1, 9)}});

    const CopyRun run = RunCopyDialog(m_folders);

    ExpectEnd(run, -1, kWriteFailed);
    ASSERT_FALSE(run.ticks.empty());
    EXPECT_EQ(run.ticks.back().current, 2);
    EXPECT_EQ(run.ticks.back().fileDone, 0u);
    ExpectOnlyProfiles({"hum6.bmp"});
}

} // namespace
