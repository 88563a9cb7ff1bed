#pragma once
// A borderless picture whose labels act as buttons, by mouse and by keyboard: the main window's
// look and behaviour. What a label does is the window above's: RunHotSpot.

#include "dialog.h"
#include "gdi.h"
#include "hot_spots.h"

#include <optional>

class CHotSpotDlg : public CDialog {
public:
    CHotSpotDlg(UINT templateId, CWnd* parent);

    CBitmap m_bmpBackground;
    BOOL m_bInstalled = FALSE; // set before the window opens: greys Play Game and Uninstall
    int m_nHotSpot = HOT_NONE; // under the pointer at the last mouse move: what a click runs
    int m_nLitSpot = HOT_NONE; // drawn lit: the one the pointer or the keyboard focus moved to last
    // While the focus chose the lit label: where the pointer stood then (screen coordinates).
    std::optional<POINT> m_ptPointerAtFocus;
    HICON m_hIcon = nullptr;

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

    // Runs the operation behind a label, clicked or pressed by key.
    virtual void RunHotSpot(int hotSpot) = 0;

private:
    void PlaceCentred();
    void ComposePicture(const CDC& composition, CDC& source) const;
    void InvalidateLabels() const;
    // The hot spot whose control has the keyboard focus, or HOT_NONE.
    HotSpot FocusedHotSpot() const;
    void FocusHotSpot(HotSpot id) const;
};
