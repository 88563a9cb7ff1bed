// The one application object of setup.exe.
#include "setup_app.h"

CSetupApp theApp;
