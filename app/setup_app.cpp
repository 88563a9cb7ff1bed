#include "setup_app.h"

#include "main_dlg.h"
#include "running_copy.h"

BOOL CSetupApp::InitInstance() {
    Enable3dControlsStatic();

    if (!ClaimRunningCopy(kSingleInstanceMutex)) {
        BringRunningCopyForward(kMainWindowCaption);
        return FALSE;
    }

    CSetupMainDlg mainWindow;
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
