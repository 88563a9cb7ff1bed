// The copy progress dialog, run modally in-process on packs from the pack writer: what its bars, its
// file label and its boxes show, and what it leaves on the disk.
#include "app.h"
#include "copy_progress.h"
#include "copy_progress_dlg.h"
#include "pack_fixture.h"
#include "paths.h"
#include "product.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace {
using hx::fixture::buildPack;
using hx::fixture::patternBytes;
using hx::fixture::writeFile;
using uitest::ConfirmAnswer;
using Names = std::vector<std::string>;

constexpr std::size_t kPiece = 262144; // the most a tick copies
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

// What the dialog's controls show after each tick of its one timer, "<total bar> <file bar> <label>",
// led by "asked " while the exit question keeps the dialog disabled; a run of equal sights counts once.
// Once it shows `closeAt` it is sent the close message, once it shows one of `cancelAt` its Cancel is
// clicked.
struct ObservedCopyDlg : CCopyProgressDlg {
    Names shown;
    std::string closeAt;
    Names cancelAt;

    bool OnTimer(UINT_PTR id) override {
        const bool handled = CCopyProgressDlg::OnTimer(id);
        char label[MAX_PATH] = {};
        GetDlgItemTextA(m_hWnd, IDC_STATIC_FILE, label, sizeof label);
        const std::string sight = (IsWindowEnabled(m_hWnd) ? "" : "asked ") + Bar(IDC_PROGRESS_TOTAL) + ' ' +
                                  Bar(IDC_PROGRESS_FILE) + ' ' + label;
        if (!shown.empty() && shown.back() == sight)
            return handled;
        shown.push_back(sight);
        if (sight == closeAt)
            PostMessage(WM_CLOSE);
        if (std::find(cancelAt.begin(), cancelAt.end(), sight) != cancelAt.end())
            ::PostMessageA(GetDlgItem(IDCANCEL), BM_CLICK, 0, 0);
        return handled;
    }
    std::string Bar(int id) const {
        return std::to_string(SendDlgItemMessageA(m_hWnd, id, PBM_GETPOS, 0, 0));
    }
};

class CopyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        for (const std::string& folder : {m_base, m_source, m_windows, m_system, m_games})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        m_user.atQuestion = [](HWND question) {
            EXPECT_EQ(GetWindow(question, GW_OWNER), AfxGetApp()->m_pMainWnd->m_hWnd);
        };
    }

    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(m_base);
    }

    // An install directory of `length` characters, its parent made.
    std::string InstallDirOf(std::size_t length) const {
        const std::string parent = JoinPath(m_games, std::string(length - m_games.size() - 16, 'd'));
        CreateDirectoryA(parent.c_str(), nullptr);
        return JoinPath(parent, "HexbreakerDemo");
    }

    // Runs the copy dialog on this test's folders; what it showed. It must end with `result` and, after
    // a failure (-1) only, the one error box `box` with its OK, and the quit with code 18. It stands as
    // the main window, so that the exit question it asks is owned by it as in the program.
    Names RunCopyDialog(INT_PTR result, const std::string& box = "", const std::string& closeAt = "",
                        const Names& cancelAt = {}) {
        m_user.boxes.clear();
        m_user.buttons.clear();
        ObservedCopyDlg dialog;
        dialog.m_strSourceDir = m_source;
        dialog.m_strInstallDir = m_install;
        dialog.m_strSystemRoot = m_windows;
        std::tie(dialog.closeAt, dialog.cancelAt) = std::tie(closeAt, cancelAt);
        AfxGetApp()->m_pMainWnd = &dialog;
        EXPECT_EQ(dialog.DoModal(), result);
        AfxGetApp()->m_pMainWnd = nullptr;
        uitest::ExpectQuit(result == -1 ? std::optional<int>(kQuitExitCode) : std::nullopt);
        EXPECT_EQ(m_user.boxes, box.empty() ? Names{} : Names{box});
        EXPECT_EQ(m_user.buttons, box.empty() ? Names{} : Names{"OK"});
        return dialog.shown;
    }

    const std::string m_base = "C:\\hxcopytest";
    const std::string m_source = JoinPath(m_base, "cd"), m_pack = JoinPath(m_source, "hxdemo.pak");
    const std::string m_games = JoinPath(m_base, "games");
    std::string m_windows = JoinPath(m_base, "windows");
    const std::string m_system = JoinPath(m_windows, "system");
    std::string m_install = JoinPath(m_games, "HexbreakerDemo");
    uitest::User m_user;
};

// Quotient first, in double precision, truncated: 29 of 100 is 28 (0.29 * 100 is 28.999999999999996).
// A path has at most 259 characters, its folder part at most 248.
TEST(CopyProgress, BarPositionsAndPathLimits) {
    EXPECT_EQ(ProgressPosition(29, 100), 28);
    for (const auto& [folder, name, tooLong] : {std::tuple{248, 10, false}, {248, 11, true}, {249, 1, true}})
        EXPECT_EQ(DestinationTooLong(std::string(folder, 'f') + "\\" + std::string(name, 'n')), tooLong);
}

// One copy at the path limit, paused three times: under an install directory of 242 characters
// "Multi\\canyon.scr" makes a path of 259. The close message pauses it as Cancel does; the bars stand
// still while the question is open and Resume goes on in the same file at the same offset, though the
// pack holds the data back to front. Longer files where entries go are replaced whole; the system's own
// copy of a shared library is kept, its bytes counted all the same. Exit then removes the files the
// entries name in the install folder and, for maps (".mfd"), in its "Multi", reached or not (those an
// earlier run left too); what went elsewhere stays.
TEST_F(CopyDialogTest, EachTickCopiesOnePieceResumeGoesOnInPlaceAndExitRemovesExactlyTheFilesNamed) {
    m_install = InstallDirOf(242);
    const std::string one = patternBytes(kPiece, 1), two = patternBytes(kPiece + 1, 2);
    ASSERT_TRUE(CreateDirectoryA(m_install.c_str(), nullptr) &&
                CreateDirectoryA(JoinPath(m_install, "Multi").c_str(), nullptr));
    for (const char* old :
         {"late.txt", "Multi\\late.mfd", "Multi\\empty.fld", "Multi\\one.scr", "Multi\\two.fld"})
        std::ofstream(JoinPath(m_install, old)) << std::string(kPiece + 2, 'x');
    std::ofstream(JoinPath(m_system, "hxaudio.dll")) << "the system's own copy";
    // clang-format off
    writeFile(m_pack, buildPack({{"empty.fld", ""}, {"one.scr", one}, {"two.fld", two}, {"canyon.scr", "map"},
        {"map1.mfd", "map"}, {"hum6.bmp", "face"}, {"hxduninst.exe", "uninstaller"},
        {"hxaudio.dll", patternBytes(3000, 3)}, {"game.dat", patternBytes(2 * kPiece, 4)},
        {"late.txt", "new"}, {"late.mfd", "new"}}, {{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}}));
    // clang-format on
    m_user.answers = {ConfirmAnswer::Resume, ConfirmAnswer::Resume, ConfirmAnswer::Exit};

    EXPECT_EQ(
        RunCopyDialog(IDCANCEL, "", "24 0 one.scr", {"49 99 two.fld", "75 50 game.dat"}),
        (Names{"0 0 empty.fld", "24 0 one.scr", "asked 24 0 one.scr", "49 99 two.fld", "asked 49 99 two.fld",
               "49 0 two.fld", "49 0 canyon.scr", "49 0 map1.mfd", "49 0 hum6.bmp", "49 0 hxduninst.exe",
               "50 0 hxaudio.dll", "75 50 game.dat", "asked 75 50 game.dat"}));
    EXPECT_EQ(Listing(m_install), (Names{"Multi", "Multi\\canyon.scr", "Multi\\empty.fld", "Multi\\one.scr",
                                         "Multi\\two.fld", "Profiles", "Profiles\\hum6.bmp"}));
    Names contents;
    for (const char* name : {"empty.fld", "one.scr", "two.fld", "canyon.scr"})
        contents.push_back(ReadWholeFile(JoinPath(JoinPath(m_install, "Multi"), name)));
    EXPECT_EQ(contents, (Names{"", one, two, "map"}));
    EXPECT_EQ(Listing(m_windows), (Names{"hxduninst.exe", "system", "system\\hxaudio.dll"}));
    EXPECT_EQ(ReadWholeFile(JoinPath(m_system, "hxaudio.dll")), "the system's own copy");
}

// Each failure shows its box, runs the clean-up pass (only "Profiles" and what it holds stay) and quits.
// The build makes HX_WRITE_FAILS_DIR a folder whose "hxduninst.exe" opens but takes no data, as on a
// full disk. Under an install directory of 244 characters "Multi\\canyon.mfd" is too long (Wine would
// open 260): the copying fails rather than skip it.
TEST_F(CopyDialogTest, AMissingPackAFullDiskOrATooLongPathReportsCleansUpAndQuits) {
    const char* fullDisk = std::getenv("HX_WRITE_FAILS_DIR");
    ASSERT_TRUE(fullDisk && *fullDisk) << "HX_WRITE_FAILS_DIR names no folder: run the test through ctest";
    const std::vector<std::uint8_t> pack = buildPack(
        {{"readme.txt", "read me"}, {"canyon.mfd", "map"}, {"hum6.bmp", "face"}, {"hxduninst.exe", "data"}});
    // clang-format off
    const std::tuple<const char*, std::vector<std::uint8_t>, std::string, std::string, std::string, Names,
                     Names> cases[] = {
        {"no pack", {}, m_install, m_windows, kCopyFailed, {}, {"Profiles"}},
        {"a path too long", pack, InstallDirOf(244), m_windows, kWriteFailed,
         {"38 0 readme.txt", "38 0 canyon.mfd"}, {"Profiles"}},
        {"a full disk", pack, m_install, fullDisk, kWriteFailed,
         {"38 0 readme.txt", "55 0 canyon.mfd", "77 0 hum6.bmp", "77 0 hxduninst.exe"},
         {"Profiles", "Profiles\\hum6.bmp"}}};
    // clang-format on
    for (const auto& [what, bytes, install, windows, box, shown, left] : cases) {
        SCOPED_TRACE(what);
        DeleteFileA(m_pack.c_str());
        if (!bytes.empty())
            writeFile(m_pack, bytes);
        std::tie(m_install, m_windows) = std::tie(install, windows);

        EXPECT_EQ(RunCopyDialog(-1, box), shown);
        EXPECT_EQ(Listing(m_install), left);
        uitest::RemoveTree(m_install);
    }
}

} // namespace
