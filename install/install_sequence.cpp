// The Install operation: destination, copying, program group, records, read-me, Explorer.
#include "main_dlg.h"

void CSetupMainDlg::OnInstall() {}
