#pragma once
// The application object: start-up, the application name and the exit status.

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Prepares the framework for this module: the DLL search restricted to the system folder,
    // instance handle, application name (the title string AFX_IDS_APP_TITLE, else the program file's
    // base name), common controls (a box tells when they are missing).
    void Start(HINSTANCE instance);
    // What WinMain runs: Start, InitInstance, the application's message loop only when
    // InitInstance asks for it (returns TRUE), then the exit status from ExitInstance.
    int Run(HINSTANCE instance);

    virtual BOOL InitInstance() { return FALSE; }
    // The exit status: the code of the last quit message a framework loop retrieved (0 if none).
    virtual int ExitInstance() { return m_nExitCode; }

    // The classic three-dimensional dialog look is the platform's own; kept for the start-up order.
    BOOL Enable3dControlsStatic() { return TRUE; }

    // Records a message a framework loop retrieved; a quit message sets the exit status.
    void NoteMessageRetrieved(const MSG& msg);

    const char* m_pszAppName = "";
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;

private:
    void RunMessageLoop();

    std::string m_strAppName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();
const char* AfxGetAppName();

// The program file's name without directory and extension.
std::string AppNameFromModulePath(const std::string& path);

// Owner for a window created without a parent: the main window, or the pop-up last active above it.
HWND AfxGetSafeOwner(HWND parent);

// A message box captioned with the application name; OK and OK/Cancel boxes that name no icon
// get the exclamation icon.
int AfxMessageBox(const char* text, UINT type = MB_OK);
UINT AfxMessageBoxStyle(UINT type);
