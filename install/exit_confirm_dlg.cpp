#include "exit_confirm_dlg.h"

// Both buttons keep the dialog's default handling: Exit (IDOK) ends it with IDOK, Resume
// (IDCANCEL), Escape and the close box with IDCANCEL.
CExitConfirmDlg::CExitConfirmDlg(CWnd* parent) : CDialog(IDD, parent) {}
