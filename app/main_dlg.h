#pragma once
// The main window: the picture with its five labels, and the operations behind them. It holds the
// state the operations read: the source, install, Windows and installed directories.

#include "hot_spot_dlg.h"
#include "resource.h"

#include <string>

class CSetupMainDlg : public CHotSpotDlg {
public:
    enum { IDD = IDD_SETUP_MAIN };

    explicit CSetupMainDlg(CWnd* parent = nullptr);

    std::string m_strSourceDir;
    std::string m_strInstallDir;
    std::string m_strSystemRoot;
    std::string m_strInstalledPath;

    // The operations behind the labels.
    void OnPlayGame();
    void OnInstall();
    void OnExit();
    void OnDirectX();
    void OnUninstall();

protected:
    BOOL OnInitDialog() override;
    void RunHotSpot(int hotSpot) override;
};
