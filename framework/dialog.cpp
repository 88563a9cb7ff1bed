#include "dialog.h"

#include "app.h"

namespace {
const DLGTEMPLATE* LoadDialogTemplate(UINT id) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// Messages whose dialog-procedure result is the message's result itself.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}
} // namespace

INT_PTR CDialog::DoModal() {
    const DLGTEMPLATE* dialogTemplate = LoadDialogTemplate(m_nIDTemplate);
    if (!dialogTemplate)
        return -1;

    HWND owner = AfxGetSafeOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    const bool ownerDisabled = owner && IsWindowEnabled(owner);
    if (ownerDisabled)
        EnableWindow(owner, FALSE);

    m_bEndRequested = false;
    m_nModalResult = -1;
    HWND hwnd = CreateDialogIndirectParamA(AfxGetResourceHandle(), dialogTemplate, owner, DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    if (hwnd) {
        if (!m_bEndRequested)
            ShowWindow(hwnd, SW_SHOWNORMAL);
        RunModalLoop();
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (ownerDisabled)
        EnableWindow(owner, TRUE);
    if (owner && GetActiveWindow() == hwnd)
        SetActiveWindow(owner);
    if (hwnd)
        DestroyWindow(hwnd);
    return m_nModalResult;
}

INT_PTR CDialog::RunModalLoop() {
    CWinApp* app = AfxGetApp();
    MSG msg{};
    while (!m_bEndRequested) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            return m_nModalResult = -1;
        if (app)
            app->NoteMessageRetrieved(msg);
        if (got == 0) {
            // The quit message ends every loop: hand it on to the loops outside this one.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return m_nModalResult = -1;
        }
        if (!m_hWnd || !IsDialogMessageA(m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEndRequested = true;
    if (m_hWnd)
        PostMessage(WM_NULL); // wakes the loop if it waits for a message
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

bool CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    if (msg == DM_GETDEFID)
        return OnGetDefID(result);
    return CWnd::OnWndMsg(msg, wParam, lParam, result);
}

bool CDialog::OnCommand(UINT id, UINT code, HWND /*control*/) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(hwnd);
    } else {
        dialog = dynamic_cast<CDialog*>(FromHandlePermanent(hwnd));
    }
    if (!dialog)
        return FALSE;

    LRESULT result = 0;
    const bool handled = dialog->DispatchGuarded(msg, wParam, lParam, result);
    if (msg == WM_NCDESTROY)
        dialog->Detach();
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(msg))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
