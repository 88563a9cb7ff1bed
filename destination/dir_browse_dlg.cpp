#include "dir_browse_dlg.h"

CDirBrowseDlg::CDirBrowseDlg(CWnd* parent) : CDialog(IDD, parent) {}
