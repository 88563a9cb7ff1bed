#pragma once
// The DirectX dialog: one button per installer in the CD's "directx" folder. A button hands the
// process over to its installer; when that cannot start, the user is asked for the CD until it
// starts or the user gives up, which ends the program.

#include "dialog.h"
#include "resource.h"

#include <string>

// The folder of the installers: "directx" in the folder the program was started from.
std::string DirectXFolder(const std::string& sourceDir);

class CDirectXDlg : public CDialog {
public:
    enum { IDD = IDD_DIRECTX };

    explicit CDirectXDlg(CWnd* parent = nullptr);

    // The folder the program was started from, set before DoModal.
    std::string m_strSourceDir;

    void OnInstallDirectX();
    void OnInstallDirectShow();

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void StartInstaller(const char* program);
};
