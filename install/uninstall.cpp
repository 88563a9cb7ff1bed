// The Uninstall operation: the install folder, the program group and both records.
#include "main_dlg.h"

void CSetupMainDlg::OnUninstall() {}

void CSetupMainDlg::DeleteTree(const char* /*name*/) {}
