#pragma once
// The main window: the picture with its five labels, and the operations behind them. It holds the
// state the operations read: the source, install, Windows and installed directories.

#include "hot_spot_dlg.h"
#include "install_context.h"
#include "resource.h"

#include <string>

class CSetupMainDlg : public CHotSpotDlg, public IInstallContext {
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

    const std::string& SourceDir() const override { return m_strSourceDir; }
    const std::string& InstallDir() const override { return m_strInstallDir; }
    const std::string& SystemRoot() const override { return m_strSystemRoot; }

protected:
    BOOL OnInitDialog() override;
    void RunHotSpot(int hotSpot) override;
};
