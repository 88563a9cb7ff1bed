// The main window: which label a point hits, the one running copy, the start-state reads, the window run
// modally in this process; the exit question.
#include "app.h"
#include "exit_confirm_dlg.h"
#include "hot_spots.h"
#include "main_dlg.h"
#include "product.h"
#include "registry.h"
#include "registry_records.h"
#include "running_copy.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

namespace {

// Where labels overlap the first in table order wins; edges are half-open (left and top inside).
TEST(HotSpots, OverlapsGoToTheFirstLabelAndEdgesAreHalfOpen) {
    const std::pair<POINT, HotSpot> cases[] = {
        {{350, 40}, HOT_PLAY}, {{360, 220}, HOT_EXIT},    {{350, 43}, HOT_INSTALL}, {{299, 1}, HOT_PLAY},
        {{299, 0}, HOT_NONE},  {{412, 100}, HOT_DIRECTX}, {{413, 100}, HOT_NONE},
    };
    for (const auto& [at, spot] : cases)
        EXPECT_EQ(HitTestHotSpot(at), spot) << at.x << "," << at.y;
}

// A second copy's claim of the running copy's mutex is refused.
TEST(RunningCopy, OnlyTheFirstClaimSucceeds) {
    EXPECT_TRUE(ClaimRunningCopy("HexbreakerDemoRunningCopyTest"));
    EXPECT_FALSE(ClaimRunningCopy("HexbreakerDemoRunningCopyTest"));
}

// Writes a value under HKLM, making its key; an empty value is deleted.
void SetMachineText(const char* keyPath, const char* name, const std::string& value) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS), ERROR_SUCCESS);
    value.empty() ? void(RegDeleteValueA(key.m_hKey, name)) : void(key.SetText(name, value));
}

// Starts without the product key and puts back what it changes.
class StartState : public testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey); }
    void TearDown() override { SetUp(); }
};

TEST_F(StartState, TheProductKeyAloneCountsAsInstalledAndPathsAreReadWholeOrNotAtAll) {
    EXPECT_FALSE(ReadProductRecord().installed);
    const std::string fits = "C:\\" + std::string(124, 'a'); // 127 characters and the NUL
    for (const std::string& path : {std::string(), fits, fits + "b"}) {
        SetMachineText(kProductKey, "Path", path);
        EXPECT_TRUE(ReadProductRecord().installed);
        EXPECT_EQ(ReadProductRecord().installedPath, path == fits ? fits : "")
            << path.size() << " characters";
    }
}

// A click acts on the label the last move found, wherever it lies; greyed Play Game and Uninstall do nothing.
TEST_F(StartState, AClickActsOnTheLabelOfTheLastMoveAndExitQuitsWith18) {
    CSetupMainDlg window;
    AfxGetApp()->m_pMainWnd = &window;
    uitest::User user;
    uitest::RunSoon([&] {
        for (const LPARAM at : {MAKELPARAM(330, 20), MAKELPARAM(300, 230), MAKELPARAM(380, 230)}) {
            window.SendMessage(WM_MOUSEMOVE, 0, at);
            window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        }
    });
    EXPECT_EQ(window.DoModal(), -1);
    AfxGetApp()->m_pMainWnd = nullptr;
    uitest::ExpectQuit(kQuitExitCode);
    EXPECT_EQ(user.boxes, std::vector<std::string>{});
}

// Enter presses the focused button, Resume.
TEST(ExitConfirmDialog, OnlyExitLeavesAndResumeHasTheFocusAtOpen) {
    using A = uitest::ConfirmAnswer;
    for (const A answer : {A::Exit, A::Resume, A::Enter}) {
        SCOPED_TRACE(static_cast<int>(answer));
        uitest::User user;
        user.answers = {answer};
        user.atQuestion = [](HWND) { EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL); };
        EXPECT_EQ(CExitConfirmDlg().DoModal(), answer == A::Exit ? IDOK : IDCANCEL);
        EXPECT_EQ(user.questions, 1) << "seen when it opened and answered once";
    }
}

} // namespace
