#include "window.h"

#include "app.h"
#include "file.h"

#include <new>
#include <set>

namespace {
// Objects currently attached to a window: user data alone cannot tell our windows from others.
std::set<const CWnd*>& AttachedWindows() {
    static std::set<const CWnd*> windows;
    return windows;
}

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
} // namespace

CWnd::~CWnd() {
    Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto* object = reinterpret_cast<CWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!object || !AttachedWindows().count(object) || object->m_hWnd != hwnd)
        return nullptr;
    return object;
}

std::string CWnd::GetWindowText() const {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(m_hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    AttachedWindows().insert(this);
}

void CWnd::Detach() {
    if (!AttachedWindows().erase(this))
        return;
    if (m_hWnd && IsWindow(m_hWnd))
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

bool CWnd::DispatchGuarded(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    try {
        return OnWndMsg(msg, wParam, lParam, result);
    } catch (const CFileException& error) {
        error.ReportError(MB_ICONSTOP);
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Out of memory.", MB_ICONSTOP);
    } catch (...) {
        // Whatever else a handler throws (a standard exception or anything at all) ends the
        // handler here too: nothing may unwind through the platform's frames.
        AfxMessageBox("An unsupported operation was attempted.", MB_ICONSTOP);
    }
    // The interrupted handler ends here; the window goes on.
    result = 0;
    return true;
}

bool CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        result = TRUE;
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_MOUSEMOVE:
        return OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
    case WM_LBUTTONDOWN:
        return OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
    case WM_SETFOCUS:
        return OnSetFocus(reinterpret_cast<HWND>(wParam));
    case WM_KEYDOWN:
        return OnKeyDown(static_cast<UINT>(wParam));
    case WM_GETDLGCODE:
        return OnGetDlgCode(result);
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_CLOSE:
        return OnClose();
    default:
        return false;
    }
}
