// The main window: hot-spot hit testing, placement, the start-state reads, and the window
// itself run modally in this process.
#include "app.h"
#include "hot_spots.h"
#include "main_dlg.h"
#include "registry.h"
#include "registry_records.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(HotSpots, FirstRectangleInTableOrderWins) {
    const struct {
        POINT at;
        HotSpot expected;
    } cases[] = {
        {{350, 40}, HOT_PLAY},    // Play Game and Install overlap: Play Game first
        {{360, 75}, HOT_INSTALL}, // Install and DirectX overlap: Install first
        {{360, 220}, HOT_EXIT},   // Exit and Uninstall overlap: Exit first
        {{412, 20}, HOT_NONE},    // right edges are outside
        {{412, 100}, HOT_DIRECTX},   {{413, 100}, HOT_NONE},
        {{350, 43}, HOT_INSTALL}, // bottom edge of Play Game is outside
        {{299, 1}, HOT_PLAY},     // top-left corners are inside
        {{298, 1}, HOT_NONE},        {{299, 0}, HOT_NONE},
        {{273, 211}, HOT_UNINSTALL}, {{352, 240}, HOT_UNINSTALL},
        {{353, 240}, HOT_EXIT},      {{300, 251}, HOT_UNINSTALL},
        {{300, 252}, HOT_NONE},      {{0, 0}, HOT_NONE},
        {{200, 120}, HOT_NONE},      {{-5, -5}, HOT_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitTestHotSpot(c.at), c.expected) << c.at.x << "," << c.at.y;
}

TEST(HotSpots, PlayAndUninstallNeedAnInstallation) {
    for (const auto& spot : kHotSpots) {
        const bool needsInstall = spot.id == HOT_PLAY || spot.id == HOT_UNINSTALL;
        EXPECT_TRUE(IsHotSpotLive(spot.id, true)) << spot.id;
        EXPECT_EQ(IsHotSpotLive(spot.id, false), !needsInstall) << spot.id;
        EXPECT_EQ(spot.greyBitmap != 0, needsInstall) << spot.id;
    }
    EXPECT_FALSE(IsHotSpotLive(HOT_NONE, true));
}

TEST(HotSpots, OverlaysFitTheirResourcesAndRedrawAreas) {
    for (const auto& spot : kHotSpots) {
        for (const UINT id : {spot.litBitmap, spot.greyBitmap}) {
            if (!id)
                continue;
            HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
            ASSERT_NE(bitmap, nullptr) << id;
            BITMAP info{};
            GetObjectA(bitmap, sizeof info, &info);
            DeleteObject(bitmap);
            EXPECT_EQ(info.bmWidth, spot.overlay.cx) << id;
            EXPECT_EQ(info.bmHeight, spot.overlay.cy) << id;
        }
        EXPECT_LE(spot.redraw.left + spot.overlay.cx, spot.redraw.right) << spot.id;
    }
}

TEST(Placement, CentresWithTruncatingDivision) {
    const struct {
        int width, height;
        POINT origin;
    } cases[] = {
        {640, 480, {112, 115}},
        {800, 600, {192, 175}},
        {1024, 768, {304, 259}},
        {300, 200, {-57, -24}}, // smaller than the window: truncation toward zero
    };
    for (const auto& c : cases) {
        const POINT origin = CenteredWindowOrigin(c.width, c.height);
        EXPECT_EQ(origin.x, c.origin.x) << c.width;
        EXPECT_EQ(origin.y, c.origin.y) << c.height;
    }
}

// Keeps the registry values these tests change and puts them back afterwards.
class StartState : public testing::Test {
protected:
    void SetUp() override {
        m_savedSystemRoot = ReadMachineText(kWindowsVersionKey, "SystemRoot");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
        SetSystemRoot(m_savedSystemRoot);
    }
    static void SetSystemRoot(const std::string& value) {
        RegKey key;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kWindowsVersionKey, KEY_SET_VALUE), ERROR_SUCCESS);
        if (value.empty())
            RegDeleteValueA(key.m_hKey, "SystemRoot");
        else
            key.SetText("SystemRoot", value);
    }
    static void WriteProductKey(const char* path) {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kProductKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        if (path)
            key.SetText("Path", path);
    }
    static std::string WindowsDirectory() {
        char directory[MAX_PATH] = {};
        GetWindowsDirectoryA(directory, MAX_PATH);
        return directory;
    }

private:
    std::string m_savedSystemRoot;
};

TEST_F(StartState, SystemRootFromTheRegistryElseTheWindowsDirectory) {
    SetSystemRoot("C:\\windows");
    EXPECT_EQ(ReadSystemRoot(), "C:\\windows");
    SetSystemRoot("E:\\WIN98");
    EXPECT_EQ(ReadSystemRoot(), "E:\\WIN98");
    SetSystemRoot("");
    EXPECT_EQ(ReadSystemRoot(), WindowsDirectory());
    EXPECT_FALSE(ReadSystemRoot().empty());
}

TEST_F(StartState, ProductRecord) {
    EXPECT_FALSE(ReadProductRecord().installed);
    EXPECT_EQ(ReadProductRecord().installedPath, "");

    WriteProductKey(nullptr);
    EXPECT_TRUE(ReadProductRecord().installed) << "the key alone counts as installed";
    EXPECT_EQ(ReadProductRecord().installedPath, "");

    WriteProductKey("D:\\GAMES\\HexbreakerDemo");
    EXPECT_TRUE(ReadProductRecord().installed);
    EXPECT_EQ(ReadProductRecord().installedPath, "D:\\GAMES\\HexbreakerDemo");
}

TEST_F(StartState, ValuesAreReadWholeUpToTheReadBuffer) {
    const std::string fits = "C:\\" + std::string(127 - 3, 'a'); // 127 characters and the NUL
    WriteProductKey(fits.c_str());
    EXPECT_EQ(ReadProductRecord().installedPath, fits);

    const std::string tooLong = fits + "b";
    WriteProductKey(tooLong.c_str());
    EXPECT_EQ(ReadProductRecord().installedPath, "") << "a value that cannot be read whole is empty";
    EXPECT_TRUE(ReadProductRecord().installed);
}

// Runs the main window modally; `whileRunning` runs from inside its loop.
INT_PTR RunMainWindow(CSetupMainDlg& window, std::function<void()> whileRunning) {
    AfxGetApp()->m_pMainWnd = &window;
    uitest::RunSoon(std::move(whileRunning), 50);
    const INT_PTR result = window.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    uitest::TakeQuitMessage();
    return result;
}

POINT CentreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST_F(StartState, MainWindowReadsItsStateAndPlacesItself) {
    WriteProductKey("C:\\HexbreakerDemo");
    SetSystemRoot("C:\\windows");
    CSetupMainDlg window;
    RECT rect{};
    std::string caption;
    LRESULT bigIcon = 0;
    LRESULT smallIcon = 0;
    const INT_PTR result = RunMainWindow(window, [&] {
        GetWindowRect(window.m_hWnd, &rect);
        caption = window.GetWindowText();
        bigIcon = window.SendMessage(WM_GETICON, ICON_BIG);
        smallIcon = window.SendMessage(WM_GETICON, ICON_SMALL);
        window.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(caption, "HexbreakerDemo Installer");
    const POINT origin = CenteredWindowOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rect.left, origin.x);
    EXPECT_EQ(rect.top, origin.y);
    EXPECT_EQ(rect.right - rect.left, 415);
    EXPECT_EQ(rect.bottom - rect.top, 249);
    EXPECT_NE(bigIcon, 0);
    EXPECT_EQ(bigIcon, smallIcon);

    char currentDir[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, currentDir);
    EXPECT_EQ(window.m_strSourceDir, currentDir);
    EXPECT_EQ(window.m_strSystemRoot, "C:\\windows");
    EXPECT_EQ(window.m_strInstalledPath, "C:\\HexbreakerDemo");
    EXPECT_TRUE(window.m_bInstalled);
    EXPECT_EQ(window.m_strInstallDir, "");
    EXPECT_NE(window.m_bmpBackground.GetSafeHandle(), nullptr);
}

TEST_F(StartState, MouseMovesSetTheHotSpotAndExitQuitsWith18) {
    CSetupMainDlg window;
    std::vector<int> hotSpots;
    const INT_PTR result = RunMainWindow(window, [&] {
        for (const POINT at : {POINT{360, 60}, POINT{340, 20}, POINT{10, 10}, CentreOf(kHotSpots[2].hit)}) {
            window.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
            hotSpots.push_back(window.m_nHotSpot);
        }
        // A click acts on the hot spot of the last move, wherever the click itself lands.
        window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(hotSpots, (std::vector<int>{HOT_INSTALL, HOT_PLAY, HOT_NONE, HOT_EXIT}));
    EXPECT_EQ(AfxGetApp()->m_nExitCode, 18);
    EXPECT_FALSE(window.m_bInstalled);
    AfxGetApp()->m_nExitCode = 0;
}

TEST_F(StartState, EscapeEndsTheMainWindowWithCancel) {
    CSetupMainDlg window;
    const INT_PTR result = RunMainWindow(window, [&] {
        SetForegroundWindow(window.m_hWnd);
        PostMessageA(window.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    });
    EXPECT_EQ(result, IDCANCEL);
}

} // namespace
