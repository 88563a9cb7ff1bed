// The destination choice: the browser's rules, its templates, and both dialogs run in-process on
// the rig's drives (C: and E: fixed, D: a CD-ROM, Z: a network drive, and the small drive of
// tests/rig/with-full-drive when it is mounted).
#include "app.h"
#include "browse_rules.h"
#include "dir_browse_dlg.h"
#include "install_dir_dlg.h"
#include "pack_fixture.h"
#include "sound_cues.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>

namespace {
constexpr const char* kBrowserCaption = "Select directory to install";
constexpr const char* kWorkDir = "E:\\hxbrowse";

// ---------------------------------------------------------------------------------------------
// The plain rules

TEST(BrowseRules, FreeSpaceIsTheExactByteCountInWholeMegabytes) {
    const struct {
        DWORD sectorsPerCluster, bytesPerSector, freeClusters;
        int megabytes;
    } cases[] = {
        {8, 512, 17920, 70},                // exactly 70 MB in 4 KB clusters
        {8, 512, 17919, 69},                // one cluster short
        {1, 512, 200000, 97},               // 512-byte clusters count in full
        {1, 512, 143360, 70},               // and reach 70 MB
        {8, 512, 1u << 30, 4194304},        // 4 TiB free
        {128, 512, 0xFFFFFFFFu, 268435455}, // the largest the counts can tell
        {0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.sectorsPerCluster << " x " << c.bytesPerSector << " x " << c.freeClusters);
        EXPECT_EQ(FreeMegabytes(FreeBytesFromClusters(c.sectorsPerCluster, c.bytesPerSector, c.freeClusters)),
                  c.megabytes);
    }
    EXPECT_EQ(FreeMegabytes((ULONGLONG{1} << 51) - 1), INT_MAX);
    EXPECT_EQ(FreeMegabytes(ULONGLONG{1} << 63), INT_MAX);
    EXPECT_EQ(FreeMegabytes(~ULONGLONG{0}), INT_MAX);
    EXPECT_EQ(FreeSpaceText(812), "Available space 812MB");
    EXPECT_EQ(FreeSpaceText(0), "Available space 0MB");
    EXPECT_FALSE(HasRoomToInstall(69));
    EXPECT_TRUE(HasRoomToInstall(70));
    EXPECT_TRUE(HasRoomToInstall(INT_MAX));
}

TEST(BrowseRules, PathsSplitJoinAndTakeTheProductFolderWithoutDoubleBackslash) {
    EXPECT_EQ(SplitPathPieces("C:\\\\GAMES\\\\FOO\\"), (std::vector<std::string>{"C:", "GAMES", "FOO"}));
    EXPECT_EQ(SplitPathPieces("C:\\"), std::vector<std::string>{"C:"});
    EXPECT_EQ(PathFromLabels("E:", {"a b", "c"}, "d"), "E:\\a b\\c\\d");
    EXPECT_EQ(InstallDirForFolder("D:\\"), "D:\\HexbreakerDemo");
    EXPECT_EQ(InstallDirForFolder("C:\\GAMES"), "C:\\GAMES\\HexbreakerDemo");
    EXPECT_EQ(CuePath("D:\\", kCueNotEnoughSpace), "D:\\VocHarddiskNotenogh.wav");
}

std::string ItemLabel(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = MAX_PATH;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

HTREEITEM InsertLabel(HWND tree, HTREEITEM parent, const std::string& label, HTREEITEM after) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(label.c_str());
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

TEST(BrowseRules, SortedNamesFollowTheTreeControlsOwnOrder) {
    const std::vector<std::string> names = {"zeta",
                                            "Alpha",
                                            "alpha2",
                                            "ALPHA",
                                            "beta",
                                            "Beta10",
                                            "beta9",
                                            "10",
                                            "9",
                                            "099",
                                            "_under",
                                            "-dash",
                                            "co-op",
                                            "coop",
                                            "co_op",
                                            "a b",
                                            "a.b",
                                            "a~b",
                                            "a!b",
                                            "#hash",
                                            "$Recycle.Bin",
                                            "~tilde",
                                            "Zulu",
                                            "x(1)",
                                            "x[1]",
                                            "x{1}",
                                            "x+1",
                                            "x'1",
                                            "Program Files",
                                            "ProgramData",
                                            "\xe9t\xe9",
                                            "Ecole",
                                            "\xc9"
                                            "cole"};
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(tree, nullptr);
    const HTREEITEM parent = InsertLabel(tree, TVI_ROOT, "parent", TVI_LAST);
    for (const auto& name : names)
        InsertLabel(tree, parent, name, TVI_SORT);
    std::vector<std::string> controlOrder;
    for (auto item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item))
        controlOrder.push_back(ItemLabel(tree, item));
    DestroyWindow(tree);

    auto sorted = names;
    SortAsTreeLabels(sorted);
    EXPECT_EQ(sorted, controlOrder);
}

// ---------------------------------------------------------------------------------------------
// The dialogs, run in-process

bool MakeFolder(const std::string& path, DWORD attributes = 0) {
    const bool made = CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    if (made && attributes)
        SetFileAttributesA(path.c_str(), attributes);
    return made;
}

// The whole tree as text: a label, then its children in parentheses, "E:(hxbrowse(a,b))".
std::string Outline(HWND tree, HTREEITEM item) {
    std::string text = ItemLabel(tree, item);
    HTREEITEM child = TreeView_GetChild(tree, item);
    if (!child)
        return text;
    text += "(";
    for (; child; child = TreeView_GetNextSibling(tree, child))
        text += Outline(tree, child) + (TreeView_GetNextSibling(tree, child) ? "," : "");
    return text + ")";
}

std::string Outline(HWND tree) {
    return Outline(tree, TreeView_GetRoot(tree));
}

bool IsExpanded(HWND tree, HTREEITEM item) {
    return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

HTREEITEM FindItem(HWND tree, HTREEITEM item, const std::string& label) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        if (ItemLabel(tree, item) == label)
            return item;
        if (HTREEITEM below = FindItem(tree, TreeView_GetChild(tree, item), label))
            return below;
    }
    return nullptr;
}

class DestinationDialogTest : public testing::Test {
protected:
    void SetUp() override {
        uitest::RemoveTree(kWorkDir);
        ASSERT_TRUE(MakeFolder(kWorkDir));
        for (const char* name :
             {"Zeta", "alpha", "Beta", "Beta\\Inner", "RECYCLER", "Recycled", "sub", "sub\\recycled"})
            ASSERT_TRUE(MakeFolder(std::string(kWorkDir) + "\\" + name)) << name;
        ASSERT_TRUE(
            MakeFolder(std::string(kWorkDir) + "\\Hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        WriteFile(std::string(kWorkDir) + "\\file.txt", 10);
        ASSERT_TRUE(SetCurrentDirectoryA(kWorkDir));
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        uitest::RemoveTree(kWorkDir);
    }

    static void WriteFile(const std::string& path, size_t size) {
        hx::fixture::writeFile(path, std::vector<std::uint8_t>(size, 'x'));
    }

    // Runs the browser; `act` runs inside its modal loop once it shows and ends it with a button.
    static INT_PTR RunBrowser(CDirBrowseDlg& browser, const std::function<void(CDirBrowseDlg&)>& act) {
        uitest::RunSoon([&] { act(browser); });
        return browser.DoModal();
    }

    // What a double-click does: the first click selects the item, the tree reports NM_DBLCLK.
    // Returns the notification's result.
    static LRESULT DoubleClick(const CDirBrowseDlg& browser, HTREEITEM item) {
        HWND tree = browser.m_tree.m_hWnd;
        TreeView_SelectItem(tree, item);
        NMHDR header{tree, IDC_FOLDER_TREE, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(browser.m_hWnd, WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&header));
        return GetWindowLongPtrA(browser.m_hWnd, DWLP_MSGRESULT);
    }

    static void PickDrive(const CDirBrowseDlg& browser, const std::string& drive) {
        const int index = browser.m_comboDrive.FindStringExact(-1, drive);
        ASSERT_NE(index, CB_ERR) << drive;
        browser.m_comboDrive.SetCurSel(index);
        SendMessageA(browser.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(browser.m_comboDrive.m_hWnd));
    }

    static std::vector<std::string> ComboEntries(const CComboBox& combo) {
        std::vector<std::string> entries;
        for (int i = 0; i < combo.GetCount(); ++i)
            entries.push_back(combo.GetLBText(i));
        return entries;
    }

    static const char* SmallDrive() {
        const char* drive = std::getenv("HX_FULL_DRIVE");
        return drive && *drive ? drive : nullptr;
    }
};

TEST_F(DestinationDialogTest, ListsTheFixedDrivesAndTheStartFoldersSubfoldersSorted) {
    CDirBrowseDlg browser;
    std::vector<std::string> drives;
    std::string selected, outline, spaceText;
    bool currentExpanded = false;
    const INT_PTR result = RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        drives = ComboEntries(dlg.m_comboDrive);
        selected = dlg.m_comboDrive.GetLBText(dlg.m_comboDrive.GetCurSel());
        outline = Outline(dlg.m_tree.m_hWnd);
        currentExpanded = IsExpanded(dlg.m_tree.m_hWnd, dlg.m_hCurrentItem);
        spaceText = dlg.m_staticSpace.GetWindowText();
        uitest::PressButton(dlg.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    std::vector<std::string> expectedDrives = {"C:", "E:"};
    if (SmallDrive())
        expectedDrives.push_back(SmallDrive());
    EXPECT_EQ(drives, expectedDrives);
    EXPECT_EQ(selected, "E:");
    // Hidden folders are listed, files and Recycled are not, RECYCLER is; "sub" only holds recycled.
    EXPECT_EQ(outline, "E:(hxbrowse(alpha,Beta,Hidden,RECYCLER,sub,Zeta))");
    EXPECT_TRUE(currentExpanded);
    EXPECT_EQ(browser.m_strPath, kWorkDir);
    EXPECT_EQ(spaceText, FreeSpaceText(browser.m_nFreeMB));
    EXPECT_EQ(uitest::CurrentDirectory(), kWorkDir);
}

TEST_F(DestinationDialogTest, DoubleClicksGoDownUpTheChainAndBackToTheRoot) {
    CDirBrowseDlg browser;
    struct Step {
        std::string outline, path, currentDir;
        LRESULT result;
        bool selectedIsCurrent;
        bool chainOpen; // every item above the current one shows its child
    };
    std::vector<Step> steps;
    const INT_PTR result = RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        HWND tree = dlg.m_tree.m_hWnd;
        auto record = [&](LRESULT notifyResult) {
            bool chainOpen = true;
            for (auto item = TreeView_GetParent(tree, dlg.m_hCurrentItem); item;
                 item = TreeView_GetParent(tree, item))
                chainOpen = chainOpen && IsExpanded(tree, item);
            steps.push_back({Outline(tree), dlg.m_strPath, uitest::CurrentDirectory(), notifyResult,
                             TreeView_GetSelection(tree) == dlg.m_hCurrentItem, chainOpen});
        };
        record(DoubleClick(dlg, FindItem(tree, TreeView_GetRoot(tree), "Beta")));
        record(DoubleClick(dlg, FindItem(tree, TreeView_GetRoot(tree), "Inner")));
        record(DoubleClick(dlg, FindItem(tree, TreeView_GetRoot(tree), "hxbrowse")));
        record(DoubleClick(dlg, FindItem(tree, TreeView_GetRoot(tree), "sub")));
        record(DoubleClick(dlg, TreeView_GetRoot(tree)));
        uitest::PressButton(dlg.m_hWnd, IDOK);
    });
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].outline, "E:(hxbrowse(Beta(Inner)))");
    EXPECT_EQ(steps[0].path, "E:\\hxbrowse\\Beta");
    EXPECT_EQ(steps[1].outline, "E:(hxbrowse(Beta(Inner)))");
    EXPECT_EQ(steps[1].path, "E:\\hxbrowse\\Beta\\Inner");
    EXPECT_EQ(steps[2].outline, "E:(hxbrowse(alpha,Beta,Hidden,RECYCLER,sub,Zeta))");
    EXPECT_EQ(steps[2].path, kWorkDir);
    EXPECT_EQ(steps[3].outline, "E:(hxbrowse(sub))"); // nothing below sub but its recycled folder
    EXPECT_EQ(steps[3].path, "E:\\hxbrowse\\sub");
    EXPECT_EQ(steps[4].path, "E:\\");
    EXPECT_EQ(steps[4].outline.rfind("E:(", 0), 0u) << steps[4].outline;
    EXPECT_NE(steps[4].outline.find("hxbrowse"), std::string::npos);
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].currentDir, steps[i].path); // each listed folder becomes current
        EXPECT_EQ(steps[i].result, 1);
        EXPECT_TRUE(steps[i].chainOpen);
        if (i < 4) {
            EXPECT_TRUE(steps[i].selectedIsCurrent);
        }
    }
    EXPECT_EQ(result, IDOK); // E: has room
    EXPECT_EQ(browser.m_strPath, "E:\\");
    EXPECT_EQ(uitest::CurrentDirectory(), "E:\\"); // never restored
}

TEST_F(DestinationDialogTest, AFolderThatCannotBeEnteredIsStillTheResult) {
    CDirBrowseDlg browser;
    uitest::MessageBoxSeen seen;
    std::string outline;
    const INT_PTR result = RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        HWND tree = dlg.m_tree.m_hWnd;
        HTREEITEM zeta = FindItem(tree, TreeView_GetRoot(tree), "Zeta");
        uitest::RemoveTree(std::string(kWorkDir) + "\\Zeta");
        auto box = uitest::AnswerNextMessageBox(IDOK);
        DoubleClick(dlg, zeta);
        seen = box.get();
        outline = Outline(tree);
        uitest::PressButton(dlg.m_hWnd, IDOK);
    });
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "Unable to read.");
    EXPECT_EQ(seen.caption, AfxGetAppName());
    EXPECT_EQ(seen.icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(outline, "E:(hxbrowse(Zeta))");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(browser.m_strPath, "E:\\hxbrowse\\Zeta");
}

TEST_F(DestinationDialogTest, ADriveThatCannotBeEnteredPutsTheComboBack) {
    CDirBrowseDlg browser;
    uitest::MessageBoxSeen seen;
    std::string before, after, selected;
    RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        before = Outline(dlg.m_tree.m_hWnd);
        dlg.m_comboDrive.AddString("Q:"); // a letter with no drive behind it
        auto box = uitest::AnswerNextMessageBox(IDOK);
        PickDrive(dlg, "Q:");
        seen = box.get();
        after = Outline(dlg.m_tree.m_hWnd);
        selected = dlg.m_comboDrive.GetLBText(dlg.m_comboDrive.GetCurSel());
        uitest::PressButton(dlg.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(seen.text, "Unable to read.");
    EXPECT_EQ(selected, "E:");
    EXPECT_EQ(after, before);
    EXPECT_EQ(browser.m_strPath, kWorkDir);
}

TEST_F(DestinationDialogTest, StartOnAnUnlistedDriveShowsItsChainAndKeepsItsLetter) {
    // An empty drive root has no entry at all, not even "." and "..": give the CD one folder.
    const std::string cdFolder = "D:\\hxbrowse";
    if (!MakeFolder(cdFolder))
        GTEST_SKIP() << "cannot write to drive D:";
    ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
    CDirBrowseDlg browser;
    int selection = 0;
    std::string rootLabel, afterRoot, outline;
    bool rootExpanded = false;
    RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        HWND tree = dlg.m_tree.m_hWnd;
        selection = dlg.m_comboDrive.GetCurSel();
        rootLabel = ItemLabel(tree, TreeView_GetRoot(tree));
        rootExpanded = IsExpanded(tree, TreeView_GetRoot(tree));
        outline = Outline(tree);
        DoubleClick(dlg, TreeView_GetRoot(tree));
        afterRoot = ItemLabel(tree, TreeView_GetRoot(tree));
        uitest::PressButton(dlg.m_hWnd, IDCANCEL);
    });
    SetCurrentDirectoryA("C:\\");
    uitest::RemoveTree(cdFolder);
    EXPECT_EQ(selection, CB_ERR);
    EXPECT_NE(outline.find("hxbrowse"), std::string::npos) << outline;
    EXPECT_EQ(rootLabel, "D:");
    EXPECT_TRUE(rootExpanded);
    EXPECT_EQ(afterRoot, "D:");
    EXPECT_EQ(browser.m_strPath, "D:\\");
    EXPECT_EQ(browser.m_strDrive, "D:");
}

TEST_F(DestinationDialogTest, PickingADriveListsItsRootAndMeasuresIt) {
    CDirBrowseDlg browser;
    std::string outline, space;
    RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        PickDrive(dlg, "C:");
        outline = Outline(dlg.m_tree.m_hWnd);
        space = dlg.m_staticSpace.GetWindowText();
        uitest::PressButton(dlg.m_hWnd, IDOK);
    });
    EXPECT_EQ(outline.rfind("C:(", 0), 0u) << outline;
    EXPECT_NE(outline.find("windows"), std::string::npos) << outline;
    EXPECT_EQ(browser.m_strPath, "C:\\");
    EXPECT_EQ(uitest::CurrentDirectory(), "C:\\");
    EXPECT_EQ(space, FreeSpaceText(browser.m_nFreeMB));
}

// Needs tests/rig/with-full-drive with a 70 MB drive (HX_FULL_DRIVE_SIZE=70m, as root).
TEST_F(DestinationDialogTest, SelectNeedsSeventyMegabytesOnTheDrive) {
    const char* drive = SmallDrive();
    if (!drive)
        GTEST_SKIP() << "no small drive: run under tests/rig/with-full-drive as root to mount one";
    const std::string root = std::string(drive) + "\\";
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &freeBytes, nullptr, nullptr));
    if (freeBytes.QuadPart != 70ull << 20)
        GTEST_SKIP() << "the small drive has " << freeBytes.QuadPart << " bytes free; this case needs 70 MB";

    // An empty drive root lists nothing at all ("Unable to read."): give it a folder.
    ASSERT_TRUE(CreateDirectoryA((root + "games").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    {
        CDirBrowseDlg browser;
        EXPECT_EQ(RunBrowser(browser, [](CDirBrowseDlg& dlg) { uitest::PressButton(dlg.m_hWnd, IDOK); }),
                  IDOK);
        EXPECT_EQ(browser.m_nFreeMB, 70);
        EXPECT_EQ(browser.m_strPath, root);
    }

    WriteFile(root + "filler.bin", 1 << 20); // 69 MB left
    CDirBrowseDlg browser;
    uitest::MessageBoxSeen seen;
    bool stayedOpen = false;
    std::string space;
    const INT_PTR result = RunBrowser(browser, [&](CDirBrowseDlg& dlg) {
        space = dlg.m_staticSpace.GetWindowText();
        auto box = uitest::AnswerNextMessageBox(IDOK);
        uitest::PressButton(dlg.m_hWnd, IDOK);
        seen = box.get();
        stayedOpen = IsWindowVisible(dlg.m_hWnd) != FALSE;
        uitest::PressButton(dlg.m_hWnd, IDCANCEL);
    });
    DeleteFileA((root + "filler.bin").c_str());
    EXPECT_EQ(space, "Available space 69MB");
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.text, "There is no space to install.");
    EXPECT_EQ(seen.icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, IDCANCEL);
}

struct MeasuringBrowser : CDirBrowseDlg {
    using CDirBrowseDlg::MeasureFreeSpace;
};

TEST(DirBrowseMeasure, FreeSpaceIsWhatTheUserMayWriteAndNothingWhenTheDriveDoesNotAnswer) {
    MeasuringBrowser browser;
    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, nullptr, nullptr));
    browser.MeasureFreeSpace("C:\\");
    EXPECT_NEAR(browser.m_nFreeMB, static_cast<double>(available.QuadPart >> 20), 16); // other writers
    browser.MeasureFreeSpace("Q:\\"); // no drive: neither query answers
    EXPECT_EQ(browser.m_nFreeMB, 0);
    EXPECT_FALSE(HasRoomToInstall(browser.m_nFreeMB));
}

// The install-directory dialog: `act` runs once it shows.
INT_PTR RunInstallDir(CInstallDirDlg& dialog, const std::function<void(CInstallDirDlg&)>& act) {
    uitest::RunSoon([&] { act(dialog); });
    return dialog.DoModal();
}

// Answers the browser (once it shows, inside its own loop) by running `act` on its window.
void WhenBrowserShows(const std::function<void(HWND)>& act) {
    uitest::RunSoon([act] {
        HWND browser = uitest::FindThreadDialog(kBrowserCaption);
        if (browser)
            act(browser);
        else
            ADD_FAILURE() << "the browser did not show";
    });
}

TEST_F(DestinationDialogTest, InstallDirectoryFollowsEachConfirmedBrowse) {
    CInstallDirDlg dialog;
    std::vector<std::string> shown;
    const INT_PTR result = RunInstallDir(dialog, [&](CInstallDirDlg& dlg) {
        HWND text = dlg.GetDlgItem(IDC_INSTALL_DIR);
        shown.push_back(uitest::WindowText(text));
        // Select in the browser, which starts in the current directory.
        WhenBrowserShows([](HWND browser) { uitest::PressButton(browser, IDOK); });
        uitest::PressButton(dlg.m_hWnd, IDC_SELECT);
        shown.push_back(uitest::WindowText(text));
        // A second browse, now at the drive root: replaces the first.
        WhenBrowserShows([](HWND browser) {
            HWND tree = GetDlgItem(browser, IDC_FOLDER_TREE);
            TreeView_SelectItem(tree, TreeView_GetRoot(tree));
            NMHDR header{tree, IDC_FOLDER_TREE, static_cast<UINT>(NM_DBLCLK)};
            SendMessageA(browser, WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&header));
            uitest::PressButton(browser, IDOK);
        });
        uitest::PressButton(dlg.m_hWnd, IDC_SELECT);
        shown.push_back(uitest::WindowText(text));
        // A cancelled browse changes nothing.
        WhenBrowserShows([](HWND browser) { uitest::PressButton(browser, IDCANCEL); });
        uitest::PressButton(dlg.m_hWnd, IDC_SELECT);
        shown.push_back(uitest::WindowText(text));
        uitest::PressButton(dlg.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, std::vector<std::string>({"C:\\HexbreakerDemo", "E:\\hxbrowse\\HexbreakerDemo",
                                               "E:\\HexbreakerDemo", "E:\\HexbreakerDemo"}));
    EXPECT_EQ(dialog.m_strInstallDir, "E:\\HexbreakerDemo");
}

} // namespace
