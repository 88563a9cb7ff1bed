#pragma once
// The main window: a borderless picture whose five labels act as buttons. It holds the state
// the other operations read: the source, install, Windows and installed directories.

#include "dialog.h"
#include "gdi.h"
#include "hot_spots.h"
#include "resource.h"

#include <string>

class CSetupMainDlg : public CDialog {
public:
    enum { IDD = IDD_SETUP_MAIN };

    explicit CSetupMainDlg(CWnd* parent = nullptr);

    std::string m_strSourceDir;
    std::string m_strInstallDir;
    std::string m_strSystemRoot;
    std::string m_strInstalledPath;
    CBitmap m_bmpBackground;
    BOOL m_bInstalled = FALSE;
    int m_nHotSpot = HOT_NONE;
    HICON m_hIcon = nullptr;

    // The operations behind the labels.
    void OnPlayGame();
    void OnInstall();
    void OnExit();
    void OnDirectX();
    void OnUninstall();

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnLButtonDown(UINT flags, POINT point) override;

private:
    void PlaceCentred();
    void ComposePicture(const CDC& composition, CDC& source) const;
};
