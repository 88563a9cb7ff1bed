// The program's entry point: runs the one application object.
#include "app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    CWinApp* app = AfxGetApp();
    return app ? app->Run(instance) : -1;
}
