// The directory browser's rules, and in-process what the end-to-end run does not reach: a folder or
// drive that cannot be entered, a drive of 70 MB (with-full-drive).
#include "app.h"
#include "browse_rules.h"
#include "dir_browse_dlg.h"
#include "pack_fixture.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {
using Names = std::vector<std::string>;
constexpr const char* kWorkDir = "E:\\hxbrowse";

TEST(BrowseRules, FreeSpaceInWholeMegabytesAndPathPieces) {
    // Exactly 70 MB, one cluster short, 4 TiB (beyond 32 bits), the most the counts can tell.
    const std::tuple<DWORD, DWORD, DWORD, int> cases[] = {
        {8, 512, 17920, 70}, {8, 512, 17919, 69}, {8, 512, 1u << 30, 4194304}, {128, 512, ~0u, 268435455}};
    for (const auto& [sectors, bytes, clusters, megabytes] : cases)
        EXPECT_EQ(FreeMegabytes(FreeBytesFromClusters(sectors, bytes, clusters)), megabytes) << clusters;
    EXPECT_EQ(FreeMegabytes(~ULONGLONG{0}), INT_MAX);
    EXPECT_FALSE(HasRoomToInstall(69));
    EXPECT_TRUE(HasRoomToInstall(70));
    EXPECT_EQ(SplitPathPieces("C:\\\\GAMES\\\\FOO\\"), (Names{"C:", "GAMES", "FOO"}));
}

std::string ItemLabel(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA query{TVIF_TEXT, item, 0, 0, text, MAX_PATH, 0, 0, 0, 0};
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

// The whole tree as text: a label, then its children in parentheses, "E:(hxbrowse(a,b))".
std::string Outline(HWND tree, HTREEITEM item) {
    std::string text = ItemLabel(tree, item);
    const char* separator = "(";
    for (HTREEITEM child = TreeView_GetChild(tree, item); child; child = TreeView_GetNextSibling(tree, child))
        text += std::exchange(separator, ",") + Outline(tree, child);
    return text + (*separator == ',' ? ")" : "");
}

class DestinationDialogTest : public testing::Test {
protected:
    void SetUp() override {
        uitest::RemoveTree(kWorkDir);
        ASSERT_TRUE(CreateDirectoryA(kWorkDir, nullptr) && CreateDirectoryA("E:\\hxbrowse\\Zeta", nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(kWorkDir));
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(kWorkDir);
    }

    // What a double-click does: the first click selects the item, the tree reports NM_DBLCLK.
    void DoubleClick(HTREEITEM item) const {
        HWND tree = m_browser.m_tree.m_hWnd;
        TreeView_SelectItem(tree, item);
        NMHDR header{tree, IDC_FOLDER_TREE, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(m_browser.m_hWnd, WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&header));
    }

    CDirBrowseDlg m_browser;
    uitest::User m_user;
};

// A drive change that fails puts the combo back; a folder that cannot be entered is still chosen.
TEST_F(DestinationDialogTest, ADriveOrFolderThatCannotBeEntered) {
    uitest::RunSoon([&] { // inside the browser's modal loop, once it shows
        HWND tree = m_browser.m_tree.m_hWnd;
        CComboBox& combo = m_browser.m_comboDrive;
        EXPECT_EQ(Outline(tree, TreeView_GetRoot(tree)), "E:(hxbrowse(Zeta))");
        combo.SetCurSel(combo.AddString("Q:")); // a letter with no drive behind it
        m_browser.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DRIVE_COMBO, CBN_SELCHANGE));
        EXPECT_EQ(combo.GetLBText(combo.GetCurSel()), "E:");
        uitest::RemoveTree("E:\\hxbrowse\\Zeta");
        DoubleClick(TreeView_GetChild(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree))));
        EXPECT_EQ(Outline(tree, TreeView_GetRoot(tree)), "E:(hxbrowse(Zeta))");
        m_browser.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(m_browser.DoModal(), IDOK);
    const std::string unreadable = std::string("exclamation ") + AfxGetAppName() + ": Unable to read.";
    EXPECT_EQ(m_user.boxes, (Names{unreadable, unreadable}));
    EXPECT_EQ(m_browser.m_strPath, "E:\\hxbrowse\\Zeta");
}

TEST(DestinationDialog, SelectNeedsSeventyMegabytesOnTheDrive) {
    const char* drive = std::getenv("HX_FULL_DRIVE");
    if (!drive || !*drive)
        GTEST_SKIP() << "no small drive: tests/rig/with-full-drive mounts one (70 MB) when run as root";
    const std::string root = std::string(drive) + "\\";
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &freeBytes, nullptr, nullptr));
    if (freeBytes.QuadPart != 70ull << 20)
        GTEST_SKIP() << "the small drive has " << freeBytes.QuadPart << " bytes free; this case needs 70 MB";

    // An empty drive root lists nothing at all ("Unable to read."): give it a folder.
    ASSERT_TRUE(CreateDirectoryA((root + "games").c_str(), nullptr));
    for (const int freeMB : {70, 69}) {
        SCOPED_TRACE(freeMB);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
        if (freeMB == 69)
            hx::fixture::writeFile(root + "filler.bin", std::vector<std::uint8_t>(1 << 20, 'x'));
        CDirBrowseDlg browser;
        uitest::User user;
        // From C: to the small drive (the figure and the check follow it), Select; Cancel ends it if open.
        uitest::RunSoon([&] {
            browser.m_comboDrive.SelectString(-1, drive);
            browser.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DRIVE_COMBO, CBN_SELCHANGE));
            EXPECT_EQ(browser.m_staticSpace.GetWindowText(),
                      "Available space " + std::to_string(freeMB) + "MB");
            browser.SendMessage(WM_COMMAND, IDOK);
            uitest::RunSoon([hwnd = browser.m_hWnd] { SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0); }, 100);
        });
        EXPECT_EQ(browser.DoModal(), freeMB == 70 ? IDOK : IDCANCEL);
        EXPECT_EQ(user.boxes,
                  freeMB == 70 ? Names{} : Names{"exclamation Warning: There is no space to install."});
        EXPECT_EQ(browser.m_strPath, root);
    }
    DeleteFileA((root + "filler.bin").c_str());
    SetCurrentDirectoryA("C:\\");
}

} // namespace
