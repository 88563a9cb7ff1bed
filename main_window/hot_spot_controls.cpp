#include "hot_spot_controls.h"

#include "gdi.h"

namespace {
LRESULT CallButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto buttonProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return buttonProc ? CallWindowProcA(buttonProc, hwnd, msg, wParam, lParam)
                      : DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Stands in front of a hot spot's button procedure, which is kept in the button's user data.
LRESULT CALLBACK HotSpotControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCHITTEST:
        // The point counts as the window's beneath: the main window gets the mouse as before.
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        // The main window paints the label under the control (it does not clip its children).
        const CPaintDC paint(hwnd);
        return 0;
    }
    case WM_GETDLGCODE:
        return CallButtonProc(hwnd, msg, wParam, lParam) | DLGC_WANTARROWS;
    case WM_KEYDOWN:
        // The arrows go round the labels as Tab and Shift+Tab do (a group of the dialog manager
        // would take in the window's other controls where it wraps round).
        if (!IsArrowKey(static_cast<UINT>(wParam)))
            break;
        SendMessageA(GetParent(hwnd), WM_NEXTDLGCTL, IsBackwardArrow(static_cast<UINT>(wParam)), FALSE);
        return 0;
    default:
        break;
    }
    return CallButtonProc(hwnd, msg, wParam, lParam);
}

void CreateHotSpotControl(HWND window, const HotSpotInfo& spot, bool live) {
    // Owner-drawn, so that the button itself draws nothing: no face, text or focus mark. The
    // window draws nothing for it either.
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW | BS_NOTIFY | (live ? 0 : WS_DISABLED);
    // Over the label's picture: where its lit and grey bitmaps are drawn.
    const HWND control = CreateWindowExA(
        0, "Button", spot.text, style, spot.redraw.left, spot.redraw.top, spot.overlay.cx, spot.overlay.cy,
        window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(HotSpotControlId(spot.id))),
        GetModuleHandleA(nullptr), nullptr);
    if (!control)
        return;
    SetWindowLongPtrA(control, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_WNDPROC));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HotSpotControlProc));
}
} // namespace

void CreateHotSpotControls(HWND window, bool installed) {
    for (const HotSpot id : kHotSpotScreenOrder)
        CreateHotSpotControl(window, *FindHotSpot(id), IsHotSpotLive(id, installed));
}
