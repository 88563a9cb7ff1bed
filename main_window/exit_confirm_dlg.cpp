#include "exit_confirm_dlg.h"

// Both buttons keep the dialog's default handling: Exit (IDOK) ends it with IDOK, Resume
// (IDCANCEL), Escape and the close box with IDCANCEL.
CExitConfirmDlg::CExitConfirmDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CExitConfirmDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Resume, the first tab stop, starts with the focus; given through the dialog manager it is
    // also the button that Enter presses, so Enter never leaves an install by surprise.
    GotoDlgCtrl(GetDlgItem(IDCANCEL));
    return FALSE; // the focus is set
}
