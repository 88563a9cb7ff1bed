#pragma once
// The first screen of an install: what is installed, how much space it needs, and the install
// directory, which the Select button changes through the directory browser. DoModal returns IDOK
// for Install (m_strInstallDir then holds the full path) and IDCANCEL after Cancel and a
// confirmed exit.

#include "controls.h"
#include "dialog.h"
#include "resource.h"

#include <string>

class CInstallDirDlg : public CDialog {
public:
    enum { IDD = IDD_INSTALL_DIR };

    explicit CInstallDirDlg(CWnd* parent = nullptr);

    std::string m_strInstallDir;
    CStatic m_staticInstallDir;
    // The folder the program was started from, handed to the directory browser: set before DoModal.
    std::string m_strSourceDir;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    void OnSelect();
};

// The install directory for a folder chosen in the browser: the product folder appended, without
// doubling the backslash of a drive root ("D:\" gives "D:\HexbreakerDemo").
std::string InstallDirForFolder(const std::string& folder);
