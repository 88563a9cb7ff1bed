#pragma once
// CWnd: a window handle with the program's object attached. Windows of our own store their
// object in the window's user data and route messages through OnWndMsg's one switch to
// virtual On... handlers. A handler returns true when it has dealt with the message, or false
// to let the platform's default processing run as well.

#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to a window of ours, or nullptr for any other window.
    static CWnd* FromHandlePermanent(HWND hwnd);
    CWnd* GetOwner() const { return FromHandlePermanent(GetWindow(m_hWnd, GW_OWNER)); }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam);
    }
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void InvalidateRect(const RECT& rect, BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, &rect, erase); }
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    // Turns painting of the window off (while it is filled) or back on.
    void SetRedraw(BOOL redraw = TRUE) const { SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    // A message box owned by this window; no caption means the application name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    HWND m_hWnd = nullptr;

protected:
    void Attach(HWND hwnd);
    void Detach();

    // Routes one message to its handler, catching what the handlers throw: no exception may
    // leave a window procedure. Returns true when handled, with the message's result.
    bool DispatchGuarded(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnPaint() { return false; }
    // true: the background counts as erased (whether or not anything was drawn).
    virtual bool OnEraseBkgnd(HDC /*dc*/) { return false; }
    virtual bool OnMouseMove(UINT /*flags*/, POINT /*point*/) { return false; }
    virtual bool OnLButtonDown(UINT /*flags*/, POINT /*point*/) { return false; }
    // The window itself got the keyboard focus; `lost` is the window that had it.
    virtual bool OnSetFocus(HWND /*lost*/) { return false; }
    virtual bool OnKeyDown(UINT /*key*/) { return false; }
    // Which keys the window wants for itself rather than leave to the dialog manager (DLGC_...).
    virtual bool OnGetDlgCode(LRESULT& /*result*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual bool OnClose() { return false; }
};
