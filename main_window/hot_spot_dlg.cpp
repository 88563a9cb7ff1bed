#include "hot_spot_dlg.h"

#include "app.h"
#include "hot_spot_controls.h"
#include "product.h"
#include "resource.h"

namespace {
// Copies an overlay bitmap from the resources into the composition. The overlay is loaded for
// this paint only and deselected before it is deleted.
void DrawOverlay(const CDC& composition, CDC& source, UINT bitmapId, const RECT& at, SIZE size) {
    CBitmap overlay;
    if (!overlay.LoadBitmap(bitmapId))
        return;
    const HBITMAP previous = source.SelectObject(overlay);
    composition.BitBlt(at.left, at.top, size.cx, size.cy, source, 0, 0, SRCCOPY);
    source.SelectObject(previous);
}
} // namespace

CHotSpotDlg::CHotSpotDlg(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_SETUP));
}

BOOL CHotSpotDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    PlaceCentred();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(kMainWindowCaption);
    m_nHotSpot = HOT_NONE;

    m_bmpBackground.LoadBitmap(IDB_BACKGROUND);
    CreateHotSpotControls(m_hWnd, m_bInstalled);
    // No control takes the focus: the window opens with no label lit until a key is pressed.
    return FALSE;
}

void CHotSpotDlg::PlaceCentred() {
    const POINT origin = CenteredWindowOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(HWND_TOP, origin.x, origin.y, kMainWindowWidth, kMainWindowHeight, 0);
}

bool CHotSpotDlg::OnPaint() {
    CPaintDC paint(m_hWnd);
    CBitmap composed;
    composed.CreateCompatibleBitmap(paint.GetSafeHdc(), kPictureWidth, kPictureHeight);
    {
        CDC source;
        CDC composition;
        source.CreateCompatibleDC(paint.GetSafeHdc());
        composition.CreateCompatibleDC(paint.GetSafeHdc());
        composition.SelectObject(composed);
        ComposePicture(composition, source);
        paint.BitBlt(0, 0, kPictureWidth, kPictureHeight, composition, 0, 0, SRCCOPY);
    }
    return true;
}

void CHotSpotDlg::ComposePicture(const CDC& composition, CDC& source) const {
    source.SelectObject(m_bmpBackground);
    composition.BitBlt(0, 0, kPictureWidth, kPictureHeight, source, 0, 0, SRCCOPY);

    if (!m_bInstalled) {
        for (const auto& spot : kHotSpots)
            if (spot.greyBitmap)
                DrawOverlay(composition, source, spot.greyBitmap, spot.redraw, spot.overlay);
    }
    const auto hot = static_cast<HotSpot>(m_nLitSpot);
    if (IsHotSpotLive(hot, m_bInstalled)) {
        const HotSpotInfo* spot = FindHotSpot(hot);
        DrawOverlay(composition, source, spot->litBitmap, spot->redraw, spot->overlay);
    }
}

bool CHotSpotDlg::OnEraseBkgnd(HDC /*dc*/) {
    return true; // the picture covers everything: erasing would only flicker
}

void CHotSpotDlg::InvalidateLabels() const {
    for (const auto& spot : kHotSpots)
        InvalidateRect(spot.redraw, TRUE);
}

bool CHotSpotDlg::OnMouseMove(UINT /*flags*/, POINT point) {
    InvalidateLabels();
    m_nHotSpot = HitTestHotSpot(point);
    // The platform also reports the pointer where it stands when windows come and go: a label
    // the focus lit stays lit until the pointer really moves.
    POINT screen = point;
    ClientToScreen(m_hWnd, &screen);
    if (m_ptPointerAtFocus && screen.x == m_ptPointerAtFocus->x && screen.y == m_ptPointerAtFocus->y)
        return false;
    m_ptPointerAtFocus.reset();
    m_nLitSpot = m_nHotSpot;
    // Once keys have put the focus on a hot spot, it follows the pointer to the live ones, so
    // that Enter and the next Tab go on from the label that is lit.
    const auto hot = static_cast<HotSpot>(m_nHotSpot);
    if (FocusedHotSpot() != HOT_NONE && FocusedHotSpot() != hot && IsHotSpotLive(hot, m_bInstalled))
        FocusHotSpot(hot);
    return false;
}

bool CHotSpotDlg::OnLButtonDown(UINT /*flags*/, POINT /*point*/) {
    RunHotSpot(m_nHotSpot);
    return false;
}

// The hot spots' controls: focus lights the label, a click (Enter, Space, the access key) runs it.
bool CHotSpotDlg::OnCommand(UINT id, UINT code, HWND control) {
    const HotSpot spot = HotSpotFromControlId(id);
    if (spot == HOT_NONE)
        return CDialog::OnCommand(id, code, control);
    if (code == BN_SETFOCUS) {
        InvalidateLabels();
        m_nLitSpot = spot;
        POINT pointer{};
        GetCursorPos(&pointer);
        m_ptPointerAtFocus = pointer;
    } else if (code == BN_CLICKED) {
        RunHotSpot(spot);
    }
    return true;
}

HotSpot CHotSpotDlg::FocusedHotSpot() const {
    const HWND focus = GetFocus();
    return focus && GetParent(focus) == m_hWnd ? HotSpotFromControlId(GetDlgCtrlID(focus)) : HOT_NONE;
}

void CHotSpotDlg::FocusHotSpot(HotSpot id) const {
    if (const HWND control = GetDlgItem(static_cast<int>(HotSpotControlId(id))))
        GotoDlgCtrl(control);
}

// The window keeps the focus when it is given it: only keys move the focus to a hot spot.
bool CHotSpotDlg::OnSetFocus(HWND /*lost*/) {
    return true;
}

// While the window itself has the focus (no key has moved it yet), Tab and the arrows come to
// OnKeyDown, which starts at either end. Once a hot spot has the focus, the dialog manager moves
// it on Tab, and the hot spot's control on the arrows.
bool CHotSpotDlg::OnGetDlgCode(LRESULT& result) {
    result = DLGC_WANTTAB | DLGC_WANTARROWS;
    return true;
}

bool CHotSpotDlg::OnKeyDown(UINT key) {
    if (key != VK_TAB && !IsArrowKey(key))
        return false;
    const bool backwards = IsBackwardArrow(key) || (key == VK_TAB && GetKeyState(VK_SHIFT) < 0);
    FocusHotSpot(FirstLiveHotSpot(m_bInstalled, backwards));
    return true;
}

// Enter presses the hot spot that has the focus; elsewhere it does what it always did.
bool CHotSpotDlg::OnGetDefID(LRESULT& result) {
    const HotSpot focused = FocusedHotSpot();
    if (focused == HOT_NONE)
        return false;
    result = MAKELONG(HotSpotControlId(focused), DC_HASDEFID);
    return true;
}
