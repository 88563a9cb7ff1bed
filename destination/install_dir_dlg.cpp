#include "install_dir_dlg.h"

#include "dir_browse_dlg.h"
#include "exit_confirm_dlg.h"
#include "paths.h"
#include "product.h"

namespace {
constexpr const char* kDefaultInstallDir = "C:\\HexbreakerDemo";
} // namespace

std::string InstallDirForFolder(const std::string& folder) {
    return JoinPath(folder, kProductFolder);
}

CInstallDirDlg::CInstallDirDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CInstallDirDlg::DoDataExchange() {
    DDX_Control(IDC_INSTALL_DIR, m_staticInstallDir);
}

BOOL CInstallDirDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticInstallDir.SetWindowText(kDefaultInstallDir);
    m_strInstallDir = kDefaultInstallDir;
    return TRUE;
}

bool CInstallDirDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_SELECT && code == BN_CLICKED) {
        OnSelect();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CInstallDirDlg::OnSelect() {
    CDirBrowseDlg browser;
    browser.m_strSourceDir = m_strSourceDir;
    if (browser.DoModal() != IDOK)
        return;
    m_strInstallDir = InstallDirForFolder(browser.m_strPath);
    m_staticInstallDir.SetWindowText(m_strInstallDir);
}

void CInstallDirDlg::OnCancel() {
    CExitConfirmDlg confirm;
    if (confirm.DoModal() == IDCANCEL)
        return;
    CDialog::OnCancel();
}
