#pragma once
// The main window: a borderless picture whose five labels act as buttons, by mouse and by
// keyboard. It holds the state the other operations read: the source, install, Windows and
// installed directories.

#include "dialog.h"
#include "gdi.h"
#include "hot_spots.h"
#include "resource.h"

#include <optional>
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
    int m_nHotSpot = HOT_NONE; // under the pointer at the last mouse move: what a click runs
    int m_nLitSpot = HOT_NONE; // drawn lit: the one the pointer or the keyboard focus moved to last
    // While the focus chose the lit label: where the pointer stood then (screen coordinates).
    std::optional<POINT> m_ptPointerAtFocus;
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
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnSetFocus(HWND lost) override;
    bool OnGetDlgCode(LRESULT& result) override;
    bool OnKeyDown(UINT key) override;
    bool OnGetDefID(LRESULT& result) override;

private:
    void PlaceCentred();
    void ComposePicture(const CDC& composition, CDC& source) const;
    void InvalidateLabels() const;
    void RunHotSpot(int hotSpot);
    // The hot spot whose control has the keyboard focus, or HOT_NONE.
    HotSpot FocusedHotSpot() const;
    void FocusHotSpot(HotSpot id) const;
};
