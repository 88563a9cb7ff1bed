// The removal on real folders: where an undeletable file stops it, links it must never follow, the
// records; the uninstaller's run without a record (its other outcomes: end to end).
#include "file.h"
#include "pack_fixture.h"
#include "main_dlg.h"
#include "product.h"
#include "registry_records.h"
#include "ui_helpers.h"
#include "uninstall_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {
constexpr const char* kBase = "C:\\hx_delete_tree"; // the current directory while a test runs
constexpr const char* kTree = "HexbreakerDemo";
constexpr const char* kInstalled = "C:\\hx_delete_tree\\HexbreakerDemo";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string InTree(const std::string& path) {
    return std::string(kTree) + "/" + path;
}

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    hx::fixture::writeFile(path, std::vector<std::uint8_t>(path.begin(), path.end()));
    SetFileAttributesA(path.c_str(), attributes);
}

// Runs a host program here (Wine makes no links itself) and waits until `path` exists, or is gone.
void RunHost(std::string commandLine, const std::string& path, bool wanted) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 200 && Exists(path) != wanted; ++i)
        Sleep(25);
    ASSERT_EQ(Exists(path), wanted) << commandLine;
}

constexpr const char* kCompleted = "none remove_tests: Uninstall completed.";

// setup.exe's Uninstall answered OK, and the box it ends with: "Uninstall completed.", or a file error
// after which the records stay and nothing ends.
std::string RemovalReporting() {
    CSetupMainDlg window;
    window.m_strInstalledPath = kInstalled;
    uitest::User user; // answers the question OK, and the closing box
    window.OnUninstall();
    SetCurrentDirectoryA(kBase);
    EXPECT_EQ(user.boxes.size(), 2u);
    const std::string told = user.boxes.empty() ? "" : user.boxes.back();
    const bool removed = told == kCompleted;
    MSG quit{}; // posted, and left for the loops outside
    const bool quits =
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == kQuitExitCode;
    EXPECT_EQ(quits, removed);
    for (const char* record : {kProductKey, kDirectPlayKey}) // all three go, or none
        EXPECT_EQ(ReadMachineText(record, "Path").empty(), removed) << record;
    EXPECT_EQ(ReadMachineText(kUninstallEntryKey, "DisplayName").empty(), removed);
    return told;
}

class RemovalTest : public testing::Test {
protected:
    void SetUp() override {
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(kBase, nullptr) && SetCurrentDirectoryA(kBase));
        ASSERT_TRUE(CreateDirectoryA(kTree, nullptr) && CreateDirectoryA("outside", nullptr));
        for (const char* record : {kProductKey, kDirectPlayKey})
            WriteAppRecord(record, kInstalled);
        WriteUninstallEntry(kInstalled, "C:\\windows", 0);
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        DeleteAppRecords();
        if (Exists(kBase)) // an rm of nothing would still be running when SetUp makes it again
            RunHost("/bin/rm -rf hx_delete_tree", kBase, false);
    }
};

// An undeletable file ends the removal: sub-folders go while the folder is enumerated, then its
// files in the order found, up to that one. Dot-named folders are skipped.
TEST_F(RemovalTest, UndeletableFileStopsTheRemovalThere) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "held open");
        SetUp();
        for (const char* folder : {"Multi", "zeta", ".cache"})
            ASSERT_TRUE(CreateDirectoryA(InTree(folder).c_str(), nullptr));
        for (const char* name : {"a.txt", "m.txt", "z.txt", "Multi/canyon.mfd", "zeta/hum6.bmp"})
            MakeFile(InTree(name));
        MakeFile(InTree("k.dat"), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        CFile held;
        ASSERT_TRUE(readOnly || held.Open(InTree("k.dat").c_str(), CFile::modeRead | CFile::shareDenyWrite));

        std::vector<std::string> files; // in the order the platform enumerates them
        for (const auto& entry : std::filesystem::directory_iterator(kTree))
            if (entry.is_regular_file())
                files.push_back(entry.path().filename().string());
        const auto at = std::find(files.begin(), files.end(), "k.dat");
        ASSERT_NE(at, files.end());

        EXPECT_EQ(RemovalReporting(),
                  readOnly
                      ? "hand remove_tests: Access to an unnamed file was denied."
                      : "hand remove_tests: A sharing violation occurred while accessing an unnamed file.");
        held.Abort();
        EXPECT_FALSE(Exists(InTree("Multi")) || Exists(InTree("zeta")));
        EXPECT_TRUE(Exists(InTree(".cache")));
        for (auto file = files.begin(); file != files.end(); ++file)
            EXPECT_EQ(Exists(InTree(*file)), file >= at) << *file;
    }
}

TEST_F(RemovalTest, NeverFollowsALinkNorRemovesTheTargetOfTheFolderItself) {
    for (const char* folder : {"outside/full", "outside/empty", "HexbreakerDemo/Multi"})
        CreateDirectoryA(folder, nullptr);
    for (const char* file :
         {"outside/full/canary.txt", "outside/saved.txt", "HexbreakerDemo/Multi/canyon.mfd"})
        MakeFile(file);
    for (const auto& [link, target] :
         {std::pair{"Multi/to-full", "full"}, {"to-empty", "empty"}, {"to-file.txt", "saved.txt"}})
        RunHost("/bin/ln -sr outside/" + std::string(target) + " " + InTree(link), InTree(link), true);

    EXPECT_EQ(RemovalReporting(), kCompleted);
    EXPECT_TRUE(Exists("outside/full/canary.txt") && Exists("outside/empty") && Exists("outside/saved.txt"));
    EXPECT_FALSE(Exists(InTree("Multi/canyon.mfd")));
    // A link the platform cannot remove by itself stays, and so do the folders holding it.
    EXPECT_EQ(Exists(InTree("Multi")), Exists(InTree("Multi/to-full")));
    EXPECT_EQ(Exists(kTree),
              Exists(InTree("to-empty")) || Exists(InTree("Multi")) || Exists(InTree("to-file.txt")));

    // The platform may remove an empty target in place of the link: it must not be asked to.
    SetUp();
    ASSERT_TRUE(CreateDirectoryA("outside/game", nullptr) && RemoveDirectoryA(kTree));
    RunHost("/bin/ln -sr outside/game HexbreakerDemo", kTree, true);
    EXPECT_EQ(RemovalReporting(), kCompleted);
    EXPECT_TRUE(Exists("outside/game"));
}
// The list of installed programs may still offer an entry whose record is gone: the uninstaller says
// so and takes the dead entry off the list.
TEST_F(RemovalTest, UninstallerWithoutTheRecordClearsTheDeadEntry) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    uitest::User user;
    EXPECT_EQ(RunUninstall(), kStatusNothingDone);
    EXPECT_EQ(user.boxes,
              std::vector<std::string>{"information remove_tests: HexbreakerDemo is not installed."});
    EXPECT_TRUE(ReadMachineText(kUninstallEntryKey, "DisplayName").empty());
}
} // namespace
