#include "setup_app.h"

#include "main_dlg.h"

BOOL CSetupApp::InitInstance() {
    Enable3dControlsStatic();

    // Held, never closed, until the process ends: the system then removes it, however it ends.
    CreateMutexA(nullptr, TRUE, kSingleInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        BringRunningCopyForward(kMainWindowCaption);
        return FALSE;
    }

    CSetupMainDlg mainWindow;
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

void BringRunningCopyForward(const char* caption) {
    HWND running = FindWindowA(nullptr, caption);
    if (!running)
        return;
    if (IsIconic(running))
        ShowWindow(running, SW_SHOWNORMAL);
    BringWindowToTop(running);
    BringWindowToTop(GetLastActivePopup(running));
}
