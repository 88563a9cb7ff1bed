#include "main_dlg.h"

#include "product.h"
#include "registry_records.h"

namespace {
constexpr DWORD kCurrentDirectoryBuffer = 255;
} // namespace

CSetupMainDlg::CSetupMainDlg(CWnd* parent) : CHotSpotDlg(IDD, parent) {}

// The state every operation reads, then the window: the labels grey or live by the record.
BOOL CSetupMainDlg::OnInitDialog() {
    char currentDir[kCurrentDirectoryBuffer] = {};
    const DWORD length = GetCurrentDirectoryA(kCurrentDirectoryBuffer, currentDir);
    m_strSourceDir = length < kCurrentDirectoryBuffer ? std::string(currentDir, length) : std::string();

    m_strSystemRoot = ReadSystemRoot();
    const ProductRecord record = ReadProductRecord();
    m_strInstalledPath = record.installedPath;
    m_bInstalled = record.installed;
    return CHotSpotDlg::OnInitDialog();
}

// A greyed label does nothing.
void CSetupMainDlg::RunHotSpot(int hotSpot) {
    const auto spot = static_cast<HotSpot>(hotSpot);
    if (!IsHotSpotLive(spot, m_bInstalled))
        return;
    switch (spot) {
    case HOT_PLAY:
        OnPlayGame();
        break;
    case HOT_INSTALL:
        OnInstall();
        break;
    case HOT_EXIT:
        OnExit();
        break;
    case HOT_DIRECTX:
        OnDirectX();
        break;
    case HOT_UNINSTALL:
        OnUninstall();
        break;
    default:
        break;
    }
}

void CSetupMainDlg::OnExit() {
    PostQuitMessage(kQuitExitCode);
}
