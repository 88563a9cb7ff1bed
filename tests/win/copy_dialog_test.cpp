// The copy progress dialog, run modally over a real main window in this process and driven by its
// own timer and by what a user's clicks produce, on packs made with the pack writer; and the
// arithmetic and paths it is built on.
#include "app.h"
#include "copy_progress.h"
#include "paths.h"
#include "copy_progress_dlg.h"
#include "dialog_checks.h"
#include "main_dlg.h"
#include "pack_fixture.h"
#include "pack_layout.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {
using hx::fixture::FixtureEntry;
using uitest::ConfirmAnswer;

constexpr DWORD kPiece = kCopyPieceSize;
constexpr const char* kCopyFailed = "Error occurred while copying files.";
constexpr const char* kWriteFailed =
    "Error occurred while copying files. Please check free space of your hard disk.";

// ---- Files ----

std::string Join(const std::string& directory, const std::string& name) {
    return directory + "\\" + name;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

bool IsFile(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return std::nullopt;
    std::string bytes(file.GetLength(), '\0');
    if (!bytes.empty() && file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size())
        return std::nullopt;
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) << path;
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(Join(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& path) {
    for (const std::string& name : FolderContents(path)) {
        const std::string child = Join(path, name);
        if (IsDirectory(child))
            RemoveTree(child);
        else
            DeleteFileA(child.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

// Cuts a file to `size` bytes while another handle has it open.
void TruncateFile(const std::string& path, LONG size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, size, nullptr, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
}

// A pack by hand, for what the pack writer refuses to make: one entry named `name`.
std::vector<std::uint8_t> HandMadePack(const std::string& name, const std::string& data) {
    std::vector<std::uint8_t> pack(hx::kPackHeaderSize + hx::kNameRecordSize);
    hx::storeLE16(pack.data(), 1);
    hx::storeLE16(pack.data() + hx::kPackHeaderSize + hx::kNameRecordLengthOffset,
                  static_cast<std::uint16_t>(name.size()));
    pack.insert(pack.end(), name.begin(), name.end());
    const std::size_t location = pack.size();
    pack.resize(location + hx::kLocationRecordSize);
    hx::storeLE32(pack.data() + location, static_cast<std::uint32_t>(pack.size()));
    hx::storeLE32(pack.data() + location + 4, static_cast<std::uint32_t>(data.size()));
    pack.insert(pack.end(), data.begin(), data.end());
    return pack;
}

// ---- The dialog under observation ----

// What the dialog held and showed after one tick.
struct TickSeen {
    bool worked = false; // the tick was allowed to copy
    int current = 0;
    DWORD fileDone = 0;
    DWORD totalDone = 0;
    int totalBar = 0;
    int fileBar = 0;
    std::string fileText;
};

class ObservedCopyDlg : public CCopyProgressDlg {
public:
    std::vector<TickSeen> ticks;
    std::function<void(ObservedCopyDlg&)> afterTick;

    int Current() const { return m_nCurrent; }
    DWORD FileDone() const { return m_dwFileDone; }
    BOOL Active() const { return m_bActive; }
    const std::vector<Location>& Locations() const { return m_arrLocations; }
    CWnd* Owner() const { return m_pOwner; }

protected:
    bool OnTimer(UINT_PTR id) override {
        const bool worked = m_bActive == TRUE;
        const bool handled = CCopyProgressDlg::OnTimer(id);
        if (id == 1) {
            ticks.push_back({worked, m_nCurrent, m_dwFileDone, m_dwTotalDone, m_progressTotal.GetPos(),
                             m_progressFile.GetPos(), m_staticFile.GetWindowText()});
            if (afterTick)
                afterTick(*this);
        }
        return handled;
    }
};

std::vector<TickSeen> WorkingTicks(const std::vector<TickSeen>& ticks) {
    std::vector<TickSeen> working;
    for (const TickSeen& tick : ticks)
        if (tick.worked)
            working.push_back(tick);
    return working;
}

// ---- The user: answers message boxes and the exit confirmation ----

struct BoxSeen {
    std::string caption;
    std::string text;
    UINT icon = 0;
};

struct Script {
    std::vector<ConfirmAnswer> answers;                     // one per exit confirmation, in order
    std::function<void(ObservedCopyDlg&)> afterTick;        // runs after every tick
    std::function<void(HWND, ObservedCopyDlg&)> atQuestion; // sees each exit confirmation
};

// Polls this thread's windows from thread timers, which every modal loop runs: message boxes are
// read and answered with OK; each exit confirmation is left open for a few polls (so ticks pass
// while it is) and then answered as the script says.
class User {
public:
    User(const Script& script, ObservedCopyDlg& dialog, HWND mainWindow)
        : m_script(script), m_dialog(dialog), m_mainWindow(mainWindow) {}

    std::vector<BoxSeen> boxes;
    int questions = 0;

    void Start() { Schedule(); }
    void Stop() { *m_alive = false; }

private:
    static constexpr UINT kPollPeriod = 20;
    static constexpr int kPollsBeforeAnswer = 5;

    void Schedule() {
        const std::shared_ptr<bool> alive = m_alive;
        uitest::RunSoon(
            [this, alive] {
                if (!*alive)
                    return;
                Poll();
                Schedule();
            },
            kPollPeriod);
    }

    void Poll() { EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(this)); }

    static BOOL CALLBACK Visit(HWND hwnd, LPARAM lParam) {
        auto& user = *reinterpret_cast<User*>(lParam);
        char windowClass[16] = {};
        GetClassNameA(hwnd, windowClass, sizeof windowClass);
        if (!IsWindowVisible(hwnd) || lstrcmpA(windowClass, "#32770") != 0 || hwnd == user.m_mainWindow ||
            hwnd == user.m_dialog.m_hWnd || user.m_answered.count(hwnd))
            return TRUE;
        if (uitest::WindowText(hwnd) == "Exit installation")
            user.Question(hwnd);
        else
            user.MessageBox(hwnd);
        return TRUE;
    }

    void Question(HWND confirmation) {
        if (confirmation != m_questionOpen) {
            m_questionOpen = confirmation;
            m_pollsOpen = 0;
            ++questions;
            if (m_script.atQuestion)
                m_script.atQuestion(confirmation, m_dialog);
        }
        if (++m_pollsOpen < kPollsBeforeAnswer)
            return;
        const size_t index = static_cast<size_t>(questions - 1);
        const ConfirmAnswer answer =
            index < m_script.answers.size() ? m_script.answers[index] : ConfirmAnswer::Exit;
        m_answered.insert(confirmation);
        m_questionOpen = nullptr;
        uitest::AnswerExitConfirmation(confirmation, answer);
    }

    void MessageBox(HWND box) {
        const auto texts = uitest::StaticTexts(box);
        boxes.push_back({uitest::WindowText(box), texts.empty() ? std::string() : texts.front(),
                         uitest::MessageBoxIcon(box)});
        m_answered.insert(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    const Script& m_script;
    ObservedCopyDlg& m_dialog;
    HWND m_mainWindow;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::set<HWND> m_answered;
    HWND m_questionOpen = nullptr;
    int m_pollsOpen = 0;
};

// ---- Running the dialog ----

struct Folders {
    std::string source;
    std::string install;
    std::string windows;

    std::string Multi() const { return Join(install, "Multi"); }
    std::string Profiles() const { return Join(install, "Profiles"); }
    std::string System() const { return Join(windows, "system"); }
};

struct CopyOutcome {
    INT_PTR result = 0;
    std::optional<WPARAM> quitCode; // the quit message left for the loops outside, if any
    int exitCode = 0;
    std::vector<TickSeen> ticks;
    std::vector<BoxSeen> boxes;
    int questions = 0;
    bool ownerWasMainWindow = false;
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
        User user(script, dialog, mainWindow.m_hWnd);
        user.Start();
        outcome.result = dialog.DoModal();
        user.Stop();
        outcome.ticks = dialog.ticks;
        outcome.boxes = user.boxes;
        outcome.questions = user.questions;
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
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_base = Join(std::string(temp) + "hxcopytest", std::to_string(GetCurrentProcessId()));
        SetCurrentDirectoryA("C:\\");
        RemoveTree(m_base);
        CreateDirectoryA((std::string(temp) + "hxcopytest").c_str(), nullptr);
        CreateDirectoryA(m_base.c_str(), nullptr);
        m_folders.source = Join(m_base, "cd");
        m_folders.windows = Join(m_base, "windows");
        m_folders.install = Join(Join(m_base, "games"), "HexbreakerDemo");
        for (const std::string& folder :
             {m_folders.source, m_folders.windows, m_folders.System(), Join(m_base, "games")})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }

    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        RemoveTree(m_base);
    }

    std::string PackPath() const { return Join(m_folders.source, "hxdemo.pak"); }

    void WritePack(const std::vector<FixtureEntry>& entries, hx::PackWriterOptions options = {}) const {
        hx::fixture::writeFile(PackPath(), hx::fixture::buildPack(entries, std::move(options)));
    }

    // The install directory as the failure paths leave it: only an empty "Profiles".
    void ExpectOnlyEmptyProfiles() const {
        EXPECT_EQ(FolderContents(m_folders.install), std::vector<std::string>{"Profiles"});
        EXPECT_TRUE(FolderContents(m_folders.Profiles()).empty());
    }

    static void ExpectQuitAfter(const CopyOutcome& outcome, const char* text) {
        EXPECT_EQ(outcome.result, -1);
        ASSERT_TRUE(outcome.quitCode.has_value());
        EXPECT_EQ(*outcome.quitCode, 18u);
        EXPECT_EQ(outcome.exitCode, 18);
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

    std::string m_base;
    Folders m_folders;
};

// ---- Arithmetic and paths ----

TEST(CopyProgress, PositionsAreDoubleQuotientsTimesHundredTruncated) {
    const struct {
        double done, whole;
        int position;
    } cases[] = {
        {29, 100, 28}, // 0.29 * 100 is 28.999999999999996
        {57, 100, 56},
        {58, 100, 57},
        {30, 100, 30},
        {262144, 1000000, 26},
        {524288, 1000000, 52},
        {786432, 1000000, 78},
        {262144, 262145, 99},
        {524288, 524289, 99},
        {262144, 524289, 49},
        {0, 0, 0},
        {5, 0, 0},
        {0, 7, 0},
        {7, 7, 100},
        {2147483647.0, 2147483647.0, 100},
        {1, 2147483647.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPosition(c.done, c.whole), c.position) << c.done << " of " << c.whole;
}

TEST(CopyProgress, PiecesAreFullWhileMoreThanOneRemains) {
    const struct {
        std::uint32_t done, size;
        CopyPiece piece;
    } cases[] = {
        {0, 0, {0, true}},
        {0, 1, {1, true}},
        {0, kPiece, {kPiece, true}},
        {0, kPiece + 1, {kPiece, false}},
        {kPiece, kPiece + 1, {1, true}},
        {0, 1000000, {kPiece, false}},
        {3 * kPiece, 1000000, {1000000 - 3 * kPiece, true}},
        {kPiece, 2 * kPiece, {kPiece, true}},
    };
    for (const auto& c : cases) {
        const CopyPiece piece = NextCopyPiece(c.done, c.size);
        EXPECT_EQ(piece.count, c.piece.count) << c.done << " of " << c.size;
        EXPECT_EQ(piece.finishesEntry, c.piece.finishesEntry) << c.done << " of " << c.size;
    }
}

TEST(CopyProgress, CleanUpLooksInTheInstallDirectoryAndMultiOnly) {
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"readme.txt", "C:\\HexbreakerDemo\\readme.txt"},
        {"map1.mfd", "C:\\HexbreakerDemo\\Multi\\map1.mfd"},
        {".mfd", "C:\\HexbreakerDemo\\Multi\\.mfd"},
        {"mfd", "C:\\HexbreakerDemo\\mfd"},
        {"MAP1.MFD", "C:\\HexbreakerDemo\\MAP1.MFD"},       // endings compare byte for byte
        {"level.scr", "C:\\HexbreakerDemo\\level.scr"},     // placed in Multi, looked for here
        {"hum6.bmp", "C:\\HexbreakerDemo\\hum6.bmp"},       // placed in Profiles
        {"hxaudio.dll", "C:\\HexbreakerDemo\\hxaudio.dll"}, // placed in the system folder
        {"maps\\a.mfd", "C:\\HexbreakerDemo\\Multi\\maps\\a.mfd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanupPath("C:\\HexbreakerDemo", c.name), c.path);
    EXPECT_EQ(JoinPath("D:\\", "hxdemo.pak"), "D:\\hxdemo.pak");
    EXPECT_EQ(JoinPath("C:\\cd", "hxdemo.pak"), "C:\\cd\\hxdemo.pak");
}

TEST(CopyProgressTemplate, IsTheCaptionlessPanelWithTwoBars) {
    const auto dialog = uitest::ReadDialogTemplate(IDD_COPY_PROGRESS);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->style, static_cast<DWORD>(WS_POPUP | DS_SETFONT));
    EXPECT_EQ(dialog->caption, "");
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, 204);
    EXPECT_EQ(dialog->cy, 120);
    EXPECT_EQ(dialog->font, "System");
    EXPECT_EQ(dialog->pointSize, 9);

    const struct {
        int id;
        const char* windowClass;
        const char* text;
        DWORD kind; // button type, static type or the progress bar's border
        short x, y, cx, cy;
    } expected[] = {
        {-1, "Static", "Copying files...", SS_LEFT, 33, 12, 164, 8},
        {IDC_STATIC_FILE, "Static", "file", SS_LEFT, 33, 32, 164, 8},
        {IDC_PROGRESS_FILE, "msctls_progress32", "", WS_BORDER, 33, 46, 164, 6},
        {-1, "Static", "Total progress", SS_LEFT, 33, 65, 164, 8},
        {IDC_PROGRESS_TOTAL, "msctls_progress32", "", WS_BORDER, 33, 79, 164, 6},
        {IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 80, 102, 44, 11},
        {-1, "Static", "", SS_BITMAP, 0, 0, 20, 20},
    };
    ASSERT_EQ(dialog->controls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& control = dialog->controls[i];
        const auto& want = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(lstrcmpiA(control.windowClass.c_str(), want.windowClass), 0) << control.windowClass;
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ(control.style & (0x1F | WS_BORDER | WS_TABSTOP), want.kind);
        EXPECT_TRUE(control.style & WS_VISIBLE);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.cx, want.cx);
        EXPECT_EQ(control.cy, want.cy);
    }
    EXPECT_EQ(dialog->controls.back().textResource, IDB_BANNER);
}

// ---- Copying ----

TEST_F(CopyDialogTest, AnEmptyEntryTakesOneTickAndMakesAnEmptyFile) {
    WritePack({{"empty.txt", ""}});
    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectCleanEnd(outcome, IDOK);
    EXPECT_TRUE(outcome.ownerWasMainWindow);
    const auto working = WorkingTicks(outcome.ticks);
    ASSERT_EQ(working.size(), 1u);
    EXPECT_EQ(working[0].fileBar, 0);
    EXPECT_EQ(working[0].fileText, "empty.txt");
    EXPECT_EQ(ReadWholeFile(Join(m_folders.install, "empty.txt")), std::string());
    EXPECT_TRUE(IsDirectory(m_folders.Multi()));
    EXPECT_TRUE(IsDirectory(m_folders.Profiles()));
}

TEST_F(CopyDialogTest, EachTickCopiesOnePieceOfOneEntryWhereverItsDataLies) {
    const std::vector<FixtureEntry> entries = {{"one.dat", hx::fixture::patternBytes(kPiece, 1)},
                                               {"two.dat", hx::fixture::patternBytes(kPiece + 1, 2)}};
    hx::PackWriterOptions reversed;
    reversed.dataOrder = hx::fixture::reversedOrder(entries.size());
    WritePack(entries, reversed);

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectCleanEnd(outcome, IDOK);
    const auto working = WorkingTicks(outcome.ticks);
    const struct {
        int current;
        DWORD fileDone, totalDone;
        int totalBar, fileBar;
        const char* fileText;
    } expected[] = {
        {1, 0, kPiece, 49, 0, "one.dat"},           // 262,144 bytes: one tick
        {1, kPiece, 2 * kPiece, 99, 99, "two.dat"}, // 262,145 bytes: two ticks
        {2, 0, 2 * kPiece + 1, 100, 0, "two.dat"},
    };
    ASSERT_EQ(working.size(), std::size(expected));
    for (size_t i = 0; i < working.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(working[i].current, expected[i].current);
        EXPECT_EQ(working[i].fileDone, expected[i].fileDone);
        EXPECT_EQ(working[i].totalDone, expected[i].totalDone);
        EXPECT_EQ(working[i].totalBar, expected[i].totalBar);
        EXPECT_EQ(working[i].fileBar, expected[i].fileBar);
        EXPECT_EQ(working[i].fileText, expected[i].fileText);
    }
    for (const FixtureEntry& entry : entries)
        EXPECT_EQ(ReadWholeFile(Join(m_folders.install, entry.name)), entry.data) << entry.name;
}

TEST_F(CopyDialogTest, TheFileBarOfAMillionBytesShowsTwentySixFiftyTwoSeventyEightThenZero) {
    const std::string data = hx::fixture::patternBytes(1000000, 3);
    WritePack({{"movie.dat", data}});

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectCleanEnd(outcome, IDOK);
    std::vector<int> fileBars, totalBars;
    for (const TickSeen& tick : WorkingTicks(outcome.ticks)) {
        fileBars.push_back(tick.fileBar);
        totalBars.push_back(tick.totalBar);
    }
    EXPECT_EQ(fileBars, (std::vector<int>{26, 52, 78, 0}));
    EXPECT_EQ(totalBars, (std::vector<int>{26, 52, 78, 100}));
    EXPECT_EQ(ReadWholeFile(Join(m_folders.install, "movie.dat")), data);
}

TEST_F(CopyDialogTest, EntriesGoWhereTheirNamesSayAndSomeAreSkippedSilently) {
    const std::string keptDll = "the system's own copy";
    WriteWholeFile(Join(m_folders.System(), "hxaudio.dll"), keptDll);
    const struct {
        const char* name;
        std::string data;
        std::optional<std::string> path; // where it lands; none when skipped
    } entries[] = {
        {"readme.txt", "read me", Join(m_folders.install, "readme.txt")},
        {"map1.mfd", "map", Join(m_folders.Multi(), "map1.mfd")},
        {"hum6.bmp", "face", Join(m_folders.Profiles(), "hum6.bmp")},
        {"HUM7.BMP", "FACE", Join(m_folders.install, "HUM7.BMP")},
        {"hxduninst.exe", "uninstaller", Join(m_folders.windows, "hxduninst.exe")},
        {"hxaudio.dll", hx::fixture::patternBytes(5000, 4), std::nullopt}, // exists: kept
        {"hxvideo.drv", "driver", Join(m_folders.System(), "hxvideo.drv")},
        {"nosuch\\thing.txt", "nowhere to go", std::nullopt}, // its folder does not exist
        {"last.txt", "the end", Join(m_folders.install, "last.txt")},
    };
    std::vector<FixtureEntry> pack;
    for (const auto& entry : entries)
        pack.push_back({entry.name, entry.data});
    WritePack(pack);

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectCleanEnd(outcome, IDOK);
    for (const auto& entry : entries) {
        if (entry.path) {
            EXPECT_EQ(ReadWholeFile(*entry.path), entry.data) << entry.name;
        }
    }
    EXPECT_EQ(ReadWholeFile(Join(m_folders.System(), "hxaudio.dll")), keptDll);
    EXPECT_FALSE(IsDirectory(Join(m_folders.install, "nosuch")));

    // One tick each; a skipped entry's bytes still count toward the total.
    const auto working = WorkingTicks(outcome.ticks);
    ASSERT_EQ(working.size(), std::size(entries));
    DWORD total = 0;
    for (size_t i = 0; i < working.size(); ++i) {
        total += static_cast<DWORD>(entries[i].data.size());
        EXPECT_EQ(working[i].totalDone, total) << entries[i].name;
        EXPECT_EQ(working[i].fileText, entries[i].name);
    }
    EXPECT_EQ(working.back().totalBar, 100);
}

TEST_F(CopyDialogTest, CancelPausesAndResumeGoesOnInTheSameFileAtTheSameOffset) {
    const std::string game = hx::fixture::patternBytes(8 * kPiece + 123, 5);
    WritePack({{"readme.txt", "read me"}, {"game.dat", game}});
    bool cancelled = false;
    DWORD doneAtQuestion = 0;
    bool dialogEnabledAtQuestion = true;
    HWND questionOwner = nullptr;
    HWND dialogWindow = nullptr;
    Script script;
    script.answers = {ConfirmAnswer::Resume};
    script.afterTick = [&](ObservedCopyDlg& dialog) {
        if (!cancelled && dialog.Current() == 1 && dialog.FileDone() == 3 * kPiece) {
            cancelled = true;
            uitest::ClickButton(dialog.m_hWnd, IDCANCEL);
        }
    };
    script.atQuestion = [&](HWND question, ObservedCopyDlg& dialog) {
        doneAtQuestion = dialog.FileDone();
        dialogEnabledAtQuestion = IsWindowEnabled(dialog.m_hWnd);
        questionOwner = GetWindow(question, GW_OWNER);
        dialogWindow = dialog.m_hWnd;
    };

    const CopyOutcome outcome = RunCopyDialog(m_folders, script);

    ExpectCleanEnd(outcome, IDOK);
    EXPECT_EQ(outcome.questions, 1);
    EXPECT_EQ(doneAtQuestion, 3 * kPiece);
    EXPECT_EQ(questionOwner, dialogWindow);
    EXPECT_FALSE(dialogEnabledAtQuestion);
    // While the question was open ticks came and did nothing.
    size_t idleTicks = 0;
    for (const TickSeen& tick : outcome.ticks) {
        if (tick.worked)
            continue;
        ++idleTicks;
        EXPECT_EQ(tick.current, 1);
        EXPECT_EQ(tick.fileDone, 3 * kPiece);
    }
    EXPECT_GT(idleTicks, 0u);
    EXPECT_EQ(WorkingTicks(outcome.ticks).size(), 1u + 9u);
    EXPECT_EQ(ReadWholeFile(Join(m_folders.install, "game.dat")), game);
}

TEST_F(CopyDialogTest, CancelThenExitRemovesExactlyTheFilesNamed) {
    // Files from an earlier run, named by entries this run never reaches.
    ASSERT_TRUE(CreateDirectoryA(m_folders.install.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_folders.Multi().c_str(), nullptr));
    WriteWholeFile(Join(m_folders.install, "late.txt"), "old");
    WriteWholeFile(Join(m_folders.Multi(), "late.mfd"), "old");
    WritePack({
        {"readme.txt", "read me"},                              // 0: install: removed
        {"map1.mfd", "map"},                                    // 1: Multi, .mfd: removed
        {"level.scr", "scr"},                                   // 2: Multi: stays
        {"level.fld", "fld"},                                   // 3: Multi: stays
        {"hum6.bmp", "face"},                                   // 4: Profiles: stays
        {"hxduninst.exe", "uninstaller"},                       // 5: Windows: stays
        {"hxaudio.dll", "audio"},                               // 6: system: stays
        {"game.dat", hx::fixture::patternBytes(4 * kPiece, 6)}, // 7: half written: removed
        {"late.txt", "new"},                                    // 8: not reached: removed
        {"late.mfd", "new"},                                    // 9: not reached: removed
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
         }) {
        auto contents = FolderContents(folder);
        std::sort(contents.begin(), contents.end());
        EXPECT_EQ(contents, names) << folder;
    }
}

TEST_F(CopyDialogTest, TheCloseMessageAsksTheQuestionAndKeepsTheEntryNames) {
    const std::string game = hx::fixture::patternBytes(3 * kPiece, 7);
    for (const ConfirmAnswer answer : {ConfirmAnswer::Resume, ConfirmAnswer::Exit}) {
        SCOPED_TRACE(uitest::ToString(answer));
        WritePack({{"readme.txt", "read me"}, {"game.dat", game}});
        bool closed = false;
        Script script;
        script.answers = {answer};
        script.afterTick = [&](ObservedCopyDlg& dialog) {
            if (!closed && dialog.Current() == 1 && dialog.FileDone() == kPiece) {
                closed = true;
                dialog.PostMessage(WM_CLOSE);
            }
        };

        const CopyOutcome outcome = RunCopyDialog(m_folders, script);

        EXPECT_EQ(outcome.questions, 1);
        if (answer == ConfirmAnswer::Resume) {
            ExpectCleanEnd(outcome, IDOK);
            EXPECT_EQ(ReadWholeFile(Join(m_folders.install, "game.dat")), game);
        } else {
            ExpectCleanEnd(outcome, IDCANCEL);
            EXPECT_FALSE(IsFile(Join(m_folders.install, "readme.txt")));
            EXPECT_FALSE(IsFile(Join(m_folders.install, "game.dat")));
            ExpectOnlyEmptyProfiles();
        }
        RemoveTree(m_folders.install);
    }
}

// ---- Failures ----

TEST_F(CopyDialogTest, AMissingPackEndsTheProgramLeavingAnEmptyProfiles) {
    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectQuitAfter(outcome, kCopyFailed);
    EXPECT_TRUE(outcome.ticks.empty());
    ExpectOnlyEmptyProfiles();
}

TEST_F(CopyDialogTest, APackTheReaderRefusesIsTreatedAsMissing) {
    const std::string data = "data";
    const std::vector<std::uint8_t> sound = hx::fixture::buildPack({{"readme.txt", data}});
    const struct {
        const char* what;
        std::vector<std::uint8_t> pack;
    } cases[] = {
        {"shorter than its table", std::vector<std::uint8_t>(sound.begin(), sound.end() - 1)},
        {"a name leaving its folder", HandMadePack("..\\readme.txt", data)},
        {"a rooted name", HandMadePack("\\readme.txt", data)},
        {"no entries", std::vector<std::uint8_t>(hx::kPackHeaderSize, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        hx::fixture::writeFile(PackPath(), c.pack);

        const CopyOutcome outcome = RunCopyDialog(m_folders);

        ExpectQuitAfter(outcome, kCopyFailed);
        EXPECT_TRUE(outcome.ticks.empty());
        ExpectOnlyEmptyProfiles();
        EXPECT_FALSE(IsFile(Join(m_base, "games\\readme.txt")));
        RemoveTree(m_folders.install);
    }
}

TEST_F(CopyDialogTest, APackCutShortWhileCopyingFailsAtOnce) {
    WritePack({{"readme.txt", "read me"},
               {"hum6.bmp", "face"},
               {"game.dat", hx::fixture::patternBytes(4 * kPiece, 8)}});
    bool cut = false;
    Script script;
    script.afterTick = [&](ObservedCopyDlg& dialog) {
        if (!cut && dialog.Current() == 2 && dialog.FileDone() == kPiece) {
            cut = true;
            TruncateFile(PackPath(), static_cast<LONG>(dialog.Locations()[2].offset + kPiece + 10));
        }
    };

    const CopyOutcome outcome = RunCopyDialog(m_folders, script);

    ExpectQuitAfter(outcome, kCopyFailed);
    // The failing tick was the last one: the timer was not started again.
    ASSERT_FALSE(outcome.ticks.empty());
    EXPECT_EQ(outcome.ticks.back().current, 2);
    EXPECT_EQ(outcome.ticks.back().fileDone, kPiece);
    EXPECT_EQ(WorkingTicks(outcome.ticks).size(), outcome.ticks.size());
    // The clean-up pass: the install directory's files go, "Profiles" stays.
    EXPECT_EQ(FolderContents(m_folders.install), std::vector<std::string>{"Profiles"});
    EXPECT_EQ(FolderContents(m_folders.Profiles()), std::vector<std::string>{"hum6.bmp"});
}

// Needs the small drive that tests/rig/with-full-drive mounts (as root) around the test program.
TEST_F(CopyDialogTest, AWriteFailureInTheLastPieceReportsCleansUpAndQuits) {
    const char* drive = std::getenv("HX_FULL_DRIVE");
    if (!drive || !*drive)
        GTEST_SKIP() << "no small drive: run under tests/rig/with-full-drive as root to mount one";
    const std::string root = std::string(drive) + "\\";
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &freeBytes, nullptr, nullptr)) << root;
    RemoveTree(Join(drive, "HexbreakerDemo"));
    // The two small entries take a page each, so the last piece of the last entry lacks room.
    const ULONGLONG bigSize = freeBytes.QuadPart;
    if (bigSize <= 3 * kPiece + 8192 || bigSize > 4 * kPiece)
        GTEST_SKIP() << "the small drive has " << bigSize << " bytes free; this case needs 800 KiB to 1 MiB";
    m_folders.install = Join(drive, "HexbreakerDemo");
    WritePack({{"readme.txt", "read me"},
               {"hum6.bmp", "face"},
               {"big.dat", hx::fixture::patternBytes(static_cast<size_t>(bigSize), 9)}});

    const CopyOutcome outcome = RunCopyDialog(m_folders);

    ExpectQuitAfter(outcome, kWriteFailed);
    ASSERT_FALSE(outcome.ticks.empty());
    EXPECT_EQ(outcome.ticks.back().current, 2);
    EXPECT_EQ(outcome.ticks.back().fileDone, 3 * kPiece); // the last piece failed
    EXPECT_EQ(FolderContents(m_folders.install), std::vector<std::string>{"Profiles"});
    EXPECT_EQ(FolderContents(m_folders.Profiles()), std::vector<std::string>{"hum6.bmp"});
    RemoveTree(m_folders.install);
}

} // namespace
