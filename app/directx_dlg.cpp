// The DirectX operation: the dialog whose buttons hand over to the CD's installers.
#include "directx_dlg.h"

#include "main_dlg.h"
#include "paths.h"
#include "program_start.h"

#include <cstdlib>

namespace {
constexpr const char* kDirectXInstaller = "dx5eng.exe";
constexpr const char* kDirectShowInstaller = "dxmweb.exe";
constexpr const char* kInsertCd = "Please insert HexbreakerDemo CD into your CD drive.";
} // namespace

std::string DirectXFolder(const std::string& sourceDir) {
    return JoinPath(sourceDir, "directx");
}

CDirectXDlg::CDirectXDlg(CWnd* parent) : CDialog(IDD, parent) {}

bool CDirectXDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && id == IDC_INSTALL_DIRECTX) {
        OnInstallDirectX();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_INSTALL_DIRECTSHOW) {
        OnInstallDirectShow();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CDirectXDlg::OnInstallDirectX() {
    StartInstaller(kDirectXInstaller);
}

void CDirectXDlg::OnInstallDirectShow() {
    StartInstaller(kDirectShowInstaller);
}

// Hands over to `program` in the installer folder; asks for the CD until it starts. There is no
// way back to the main window: the installer replaces this program, or the user ends it.
void CDirectXDlg::StartInstaller(const char* program) {
    for (;;) {
        SetCurrentDirectoryA(DirectXFolder(m_strSourceDir).c_str());
        HandOverToProgram(program);
        if (MessageBox(kInsertCd, "Error", MB_RETRYCANCEL) == IDCANCEL)
            std::exit(0);
    }
}

void CSetupMainDlg::OnDirectX() {
    CDirectXDlg dialog;
    dialog.m_strSourceDir = m_strSourceDir;
    dialog.DoModal();
}
