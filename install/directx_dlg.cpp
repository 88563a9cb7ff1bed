// The DirectX operation: the dialog whose buttons hand over to the CD's installers.
#include "main_dlg.h"

void CSetupMainDlg::OnDirectX() {}
