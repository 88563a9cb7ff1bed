#pragma once
// CDialog: a dialog from a numbered template, run modally by our own message loop.
// The loop ends on EndDialog (DoModal returns its result) and on the quit message (DoModal
// returns -1, the quit is posted again for the loops outside and its code kept as exit status).

#include "window.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // Moves the focus to a control the way the dialog manager does, so that a push button that
    // takes the focus also becomes the default button while it has it.
    void GotoDlgCtrl(HWND control) const {
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }

protected:
    virtual void DoDataExchange() {}
    // Binds a control of the dialog to its wrapper.
    void DDX_Control(int id, CWnd& control) const { control.m_hWnd = GetDlgItem(id); }

    bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // The default button, the one Enter presses: MAKELONG(id, DC_HASDEFID) in `result`.
    virtual bool OnGetDefID(LRESULT& /*result*/) { return false; }

    const UINT m_nIDTemplate;
    CWnd* const m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR RunModalLoop();

    bool m_bEndRequested = false;
    INT_PTR m_nModalResult = -1;
};
