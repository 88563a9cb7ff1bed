// The one application object of hxduninst.exe.
#include "uninstall_app.h"

CUninstallApp theApp;
