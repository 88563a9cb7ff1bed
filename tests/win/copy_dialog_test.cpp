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
#include <memory>
#include <optional>
#include <set>
#include <sstream>

namespace {
namespace fs = std::filesystem;
using hx::fixture::FixtureEntry;
using hx::fixture::patternBytes;
using uitest::ConfirmAnswer;

constexpr DWORD kPiece = kCopyPieceSize;
constexpr const char* kCopyFailed = "Error occurred while copying files.";
constexpr const char* kWriteFailed =
    "Error occurred while copying files. Please check free space of your hard disk.";

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    hx::fixture::writeFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// The names in a folder, sorted.
std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What the dialog held and showed after one tick; `shown` is
// "current fileDone totalDone totalBar fileBar fileText".
struct TickSeen {
    bool worked = false; // the tick was allowed to copy
    int current = 0;
    DWORD fileDone = 0;
    std::string shown;
};

class ObservedCopyDlg : public CCopyProgressDlg {
public:
    std::vector<TickSeen> ticks;
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

// What the ticks that copied showed.
std::vector<std::string> WorkingTicks(const std::vector<TickSeen>& ticks) {
    std::vector<std::string> working;
    for (const TickSeen& tick : ticks)
        if (tick.worked)
            working.push_back(tick.shown);
    return working;
}

struct Script {
    std::vector<ConfirmAnswer> answers;                     // one per exit confirmation, in order
    std::function<void(ObservedCopyDlg&)> afterTick;        // runs after every tick
    std::function<void(HWND, ObservedCopyDlg&)> atQuestion; // sees each exit confirmation
};

struct CopyOutcome {
    INT_PTR result = 0;
    std::optional<WPARAM> quitCode; // the quit message left for the loops outside, if any
    int exitCode = 0;
    std::vector<TickSeen> ticks;
    std::vector<uitest::MessageBoxSeen> boxes;
    int questions = 0;
    bool ownerWasMainWindow = false;
};

// The user, polling this thread's windows from thread timers (which every modal loop runs): message
// boxes are read and answered with OK; each exit confirmation is left open for a few polls (so ticks
// pass while it is) and then answered as the script says.
class User {
public:
    User(const Script& script, ObservedCopyDlg& dialog, HWND mainWindow, CopyOutcome& seen)
        : m_script(script), m_dialog(dialog), m_mainWindow(mainWindow), m_seen(seen) {
        Schedule();
    }
    ~User() { *m_alive = false; }

private:
    void Schedule() {
        uitest::RunSoon(
            [this, alive = m_alive] {
                if (!*alive)
                    return;
                EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(this));
                Schedule();
            },
            20);
    }

    static BOOL CALLBACK Visit(HWND hwnd, LPARAM lParam) {
        auto& user = *reinterpret_cast<User*>(lParam);
        char windowClass[16] = {};
        GetClassNameA(hwnd, windowClass, sizeof windowClass);
        if (!IsWindowVisible(hwnd) || lstrcmpA(windowClass, "#32770") != 0 || hwnd == user.m_mainWindow ||
            hwnd == user.m_dialog.m_hWnd || user.m_answered.count(hwnd))
            return TRUE;
        if (uitest::WindowText(hwnd) != "Exit installation") {
            const auto texts = uitest::StaticTexts(hwnd);
            user.m_seen.boxes.push_back({true, uitest::WindowText(hwnd),
                                         texts.empty() ? std::string() : texts.front(),
                                         uitest::MessageBoxIcon(hwnd)});
            user.m_answered.insert(hwnd);
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        } else if (hwnd != user.m_questionOpen) {
            user.m_questionOpen = hwnd;
            user.m_pollsOpen = 0;
            if (user.m_script.atQuestion)
                user.m_script.atQuestion(hwnd, user.m_dialog);
            ++user.m_seen.questions;
        } else if (++user.m_pollsOpen == 5) {
            const auto& answers = user.m_script.answers;
            const size_t index = static_cast<size_t>(user.m_seen.questions - 1);
            user.m_answered.insert(hwnd);
            uitest::AnswerExitConfirmation(hwnd,
                                           index < answers.size() ? answers[index] : ConfirmAnswer::Exit);
        }
        return TRUE;
    }

    const Script& m_script;
    ObservedCopyDlg& m_dialog;
    HWND m_mainWindow;
    CopyOutcome& m_seen; // the message boxes and questions
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::set<HWND> m_answered;
    HWND m_questionOpen = nullptr;
    int m_pollsOpen = 0;
};

struct Folders {
    std::string source, install, windows;

    std::string Multi() const { return JoinPath(install, "Multi"); }
    std::string Profiles() const { return JoinPath(install, "Profiles"); }
    std::string System() const { return JoinPath(windows, "system"); }
};

// Runs the main window modally and, from inside its loop, the copy dialog with the main window's
// directories set to `folders`.
CopyOutcome RunCopyDialog(const Folders& folders, const Script& script = {}) {
    CopyOutcome outcome;
    AfxGetApp()->m_nExitCode = 0;
    CSetupMainDlg mainWindow;
    AfxGetApp()->m_pMainWnd = &mainWindow;
    uitest::RunSoon([&] {
        mainWindow.m_strSourceDir = folders.source;
        mainWindow.m_strInstallDir = folders.install;
        mainWindow.m_strSystemRoot = folders.windows;
        ObservedCopyDlg dialog;
        dialog.afterTick = script.afterTick;
        User user(script, dialog, mainWindow.m_hWnd, outcome);
        outcome.result = dialog.DoModal();
        outcome.ticks = dialog.ticks;
        outcome.ownerWasMainWindow = dialog.Owner() == &mainWindow;
        if (outcome.result != -1)
            mainWindow.EndDialog(IDCANCEL);
    });
    const INT_PTR mainResult = mainWindow.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    if (const auto quitCode = uitest::TakeQuitMessage())
        outcome.quitCode = static_cast<WPARAM>(*quitCode);
    outcome.exitCode = AfxGetApp()->m_nExitCode;
    // The quit message ends the main window's loop as well, and only then.
    EXPECT_EQ(mainResult == -1, outcome.result == -1);
    return outcome;
}

class CopyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(m_base);
        m_folders = {JoinPath(m_base, "cd"), JoinPath(JoinPath(m_base, "games"), "HexbreakerDemo"),
                     JoinPath(m_base, "windows")};
        for (const std::string& folder :
             {m_base, m_folders.source, m_folders.windows, m_folders.System(), JoinPath(m_base, "games")})
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
    void ExpectOnlyProfiles(const std::vector<std::string>& profiles = {}) const {
        EXPECT_EQ(FolderContents(m_folders.install), std::vector<std::string>{"Profiles"});
        EXPECT_EQ(FolderContents(m_folders.Profiles()), profiles);
    }

    static void ExpectQuitAfter(const CopyOutcome& outcome, const char* text) {
        EXPECT_EQ(outcome.result, -1);
        ASSERT_TRUE(outcome.quitCode.has_value());
        EXPECT_EQ(*outcome.quitCode, static_cast<WPARAM>(kQuitExitCode));
        EXPECT_EQ(outcome.exitCode, kQuitExitCode);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].caption, "Error!");
        EXPECT_EQ(outcome.boxes[0].text, text);
        EXPECT_EQ(outcome.boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    }

    static void ExpectCleanEnd(const CopyOutcome& outcome, INT_PTR result) {
        EXPECT_EQ(outcome.result, result);
        EXPECT_FALSE(outcome.quitCode.has_value());
        EXPECT_TRUE(outcome.boxes.empty()) << outcome.boxes.front().text;
    }

    const std::string m_base = "C:\\hxcopytest";
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

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectCleanEnd(outcome, IDOK);
    EXPECT_TRUE(outcome.ownerWasMainWindow);
    static_assert(kPiece == 262144);
    EXPECT_EQ(WorkingTicks(outcome.ticks),
              (std::vector<std::string>{
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

// An install directory near the length limit (a path holds at most 259 characters): where every
// destination fits, the install is complete; where one does not ("Multi\\canyon.mfd" under a
// directory of 245), the copying fails as on a full disk and cleans up, rather than leaving that
// entry out of an install that reports success.
TEST_F(CopyDialogTest, AnInstallDirectoryNearThePathLimitInstallsCompletelyOrFails) {
    const std::vector<FixtureEntry> entries = {
        {"readme.txt", "read me"}, {"canyon.mfd", patternBytes(612, 3)}, {"last.txt", "the end"}};
    WritePack(entries);
    const std::string games = JoinPath(m_base, "games");
    for (const auto& [length, fits] : {std::pair{size_t{230}, true}, std::pair{size_t{245}, false}}) {
        SCOPED_TRACE(length);
        // A parent folder of the length that makes the install directory `length` characters.
        const std::string parent = JoinPath(games, std::string(length - games.size() - 16, 'd'));
        ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
        m_folders.install = JoinPath(parent, "HexbreakerDemo");
        ASSERT_EQ(m_folders.install.size(), length);

        const CopyOutcome outcome = RunCopyDialog(m_folders);

        if (fits) {
            ExpectCleanEnd(outcome, IDOK);
            for (const FixtureEntry& entry : entries)
                EXPECT_EQ(
                    ReadWholeFile(JoinPath(entry.name == "canyon.mfd" ? m_folders.Multi() : m_folders.install,
                                           entry.name)),
                    entry.data);
        } else {
            ExpectQuitAfter(outcome, kWriteFailed);
            EXPECT_EQ(outcome.ticks.back().current, 1);
            EXPECT_FALSE(fs::exists(fs::u8path(JoinPath(m_folders.install, "readme.txt"))) ||
                         fs::exists(fs::u8path(JoinPath(m_folders.install, "last.txt"))));
        }
        uitest::RemoveTree(parent);
    }
}

// The close message takes the Cancel button's way (the pack, the timer and the entry tables stay), and
// a click on Cancel the same.
TEST_F(CopyDialogTest, CloseOrCancelPausesAndResumeGoesOnInTheSameFileAtTheSameOffset) {
    const std::string game = patternBytes(8 * kPiece + 123, 5);
    WritePack({{"readme.txt", "read me"}, {"game.dat", game}});
    int cancels = 0;
    std::vector<DWORD> doneAtQuestions;
    bool dialogEnabledAtQuestion = true, questionOwnedByDialog = false;
    Script script;
    script.answers = {ConfirmAnswer::Resume, ConfirmAnswer::Resume};
    script.afterTick = [&](ObservedCopyDlg& dialog) {
        if (cancels == 0 && dialog.Current() == 1 && dialog.FileDone() == 3 * kPiece) {
            ++cancels;
            dialog.PostMessage(WM_CLOSE);
        } else if (cancels == 1 && dialog.Current() == 1 && dialog.FileDone() == 5 * kPiece) {
            ++cancels;
            uitest::ClickButton(dialog.m_hWnd, IDCANCEL);
        }
    };
    script.atQuestion = [&](HWND question, ObservedCopyDlg& dialog) {
        doneAtQuestions.push_back(dialog.FileDone());
        dialogEnabledAtQuestion = IsWindowEnabled(dialog.m_hWnd);
        questionOwnedByDialog = GetWindow(question, GW_OWNER) == dialog.m_hWnd;
    };

    const CopyOutcome outcome = RunCopyDialog(m_folders, script);

    ExpectCleanEnd(outcome, IDOK);
    EXPECT_EQ(doneAtQuestions, (std::vector<DWORD>{3 * kPiece, 5 * kPiece}));
    EXPECT_TRUE(questionOwnedByDialog);
    EXPECT_FALSE(dialogEnabledAtQuestion);
    // While each question was open ticks came and did nothing.
    std::set<DWORD> idleAt;
    for (const TickSeen& tick : outcome.ticks)
        if (!tick.worked)
            idleAt.insert(tick.current == 1 ? tick.fileDone : 0);
    EXPECT_EQ(idleAt, (std::set<DWORD>{3 * kPiece, 5 * kPiece}));
    EXPECT_EQ(WorkingTicks(outcome.ticks).size(), 1u + 9u);
    EXPECT_EQ(ReadWholeFile(JoinPath(m_folders.install, "game.dat")), game);
}

TEST_F(CopyDialogTest, CancelThenExitRemovesExactlyTheFilesNamed) {
    // Files from an earlier run, named by entries this run never reaches.
    ASSERT_TRUE(CreateDirectoryA(m_folders.install.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_folders.Multi().c_str(), nullptr));
    WriteWholeFile(JoinPath(m_folders.install, "late.txt"), "old");
    WriteWholeFile(JoinPath(m_folders.Multi(), "late.mfd"), "old");
    WriteWholeFile(JoinPath(m_folders.System(), "hxaudio.dll"), "the system's own copy");
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
    Script script;
    script.answers = {ConfirmAnswer::Exit};
    script.afterTick = [&](ObservedCopyDlg& dialog) {
        if (!cancelled && dialog.Current() == 7 && dialog.FileDone() == 2 * kPiece) {
            cancelled = true;
            uitest::ClickButton(dialog.m_hWnd, IDCANCEL);
        }
    };

    const CopyOutcome outcome = RunCopyDialog(m_folders, script);

    ExpectCleanEnd(outcome, IDCANCEL);
    EXPECT_EQ(outcome.questions, 1);
    for (const auto& [folder, names] : {
             std::pair{m_folders.install, std::vector<std::string>{"Multi", "Profiles"}},
             std::pair{m_folders.Multi(), std::vector<std::string>{"level.fld", "level.scr"}},
             std::pair{m_folders.Profiles(), std::vector<std::string>{"hum6.bmp"}},
             std::pair{m_folders.windows, std::vector<std::string>{"hxduninst.exe", "system"}},
             std::pair{m_folders.System(), std::vector<std::string>{"hxaudio.dll"}},
         })
        EXPECT_EQ(FolderContents(folder), names) << folder;
    EXPECT_EQ(ReadWholeFile(JoinPath(m_folders.System(), "hxaudio.dll")), "the system's own copy");
}

TEST_F(CopyDialogTest, AMissingOrRefusedPackEndsTheProgramBeforeAnythingIsWritten) {
    const std::vector<std::uint8_t> sound = hx::fixture::buildPack({{"xxxreadme.txt", "data"}});
    const struct {
        const char* what;
        std::optional<std::vector<std::uint8_t>> pack;
    } cases[] = {
        {"no pack", std::nullopt},
        {"shorter than its table", std::vector<std::uint8_t>(sound.begin(), sound.end() - 1)},
        {"a name leaving its folder",
         [&] { // "..\\readme.txt"
             std::vector<std::uint8_t> pack = sound;
             std::copy_n("..\\", 3, pack.begin() + hx::kPackHeaderSize + hx::kNameRecordSize);
             return pack;
         }()},
        {"no entries", std::vector<std::uint8_t>(hx::kPackHeaderSize, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(PackPath().c_str());
        if (c.pack)
            hx::fixture::writeFile(PackPath(), *c.pack);

        const CopyOutcome outcome = RunCopyDialog(m_folders);

        ExpectQuitAfter(outcome, kCopyFailed);
        EXPECT_TRUE(outcome.ticks.empty());
        ExpectOnlyProfiles();
        EXPECT_EQ(FolderContents(JoinPath(m_base, "games")), std::vector<std::string>{"HexbreakerDemo"});
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

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectQuitAfter(outcome, kWriteFailed);
    ASSERT_FALSE(outcome.ticks.empty());
    EXPECT_EQ(outcome.ticks.back().current, 2);
    EXPECT_EQ(outcome.ticks.back().fileDone, 0u);
    ExpectOnlyProfiles({"hum6.bmp"});
}

} // namespace
