#include "app.h"

#include "controls.h"
#include "dll_search.h"
#include "framework_ids.h"
#include "paths.h"
#include "window.h"

namespace {
CWinApp* g_app = nullptr;

constexpr const char* kCommonControlsMissing =
    "The common controls library comctl32.dll could not be loaded from the Windows system folder, so "
    "dialogs that use its controls cannot be opened.";

// The application-title string of the program's resources; empty when it has none.
std::string LoadAppTitle(HINSTANCE instance) {
    char title[256] = {};
    const int length = LoadStringA(instance, AFX_IDS_APP_TITLE, title, sizeof title);
    return length > 0 ? std::string(title, static_cast<size_t>(length)) : std::string();
}
} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::Start(HINSTANCE instance) {
    // Before anything loads a DLL by name: none may come from the program's folder.
    RestrictDllSearch();
    m_strAppName = LoadAppTitle(instance);
    if (m_strAppName.empty()) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(instance, path, MAX_PATH);
        m_strAppName = AppNameFromModulePath(path);
    }
    m_pszAppName = m_strAppName.c_str();

    // Without them the program still runs: the windows that need them fail to open, and their
    // operations end as they do on any dialog that cannot be shown.
    if (!RegisterCommonControls())
        AfxMessageBox(kCommonControlsMissing);
}

int CWinApp::Run(HINSTANCE instance) {
    Start(instance);
    if (InitInstance())
        RunMessageLoop();
    return ExitInstance();
}

void CWinApp::RunMessageLoop() {
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        NoteMessageRetrieved(msg);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (got == 0)
        NoteMessageRetrieved(msg); // the quit message: its code is the exit status
}

void CWinApp::NoteMessageRetrieved(const MSG& msg) {
    if (msg.message == WM_QUIT)
        m_nExitCode = static_cast<int>(msg.wParam);
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return GetModuleHandleA(nullptr);
}

const char* AfxGetAppName() {
    return g_app ? g_app->m_pszAppName : "";
}

std::string AppNameFromModulePath(const std::string& path) {
    std::string name = LastPathComponent(path);
    const auto dot = FindLastSeparator(name, ".");
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

HWND AfxGetSafeOwner(HWND parent) {
    if (parent)
        return parent;
    const CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->m_hWnd : nullptr;
    while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD))
        owner = GetParent(owner);
    return owner ? GetLastActivePopup(owner) : nullptr;
}

UINT AfxMessageBoxStyle(UINT type) {
    const UINT buttons = type & MB_TYPEMASK;
    if ((type & MB_ICONMASK) == 0 && (buttons == MB_OK || buttons == MB_OKCANCEL))
        type |= MB_ICONEXCLAMATION;
    return type;
}

int AfxMessageBox(const char* text, UINT type) {
    return MessageBoxA(AfxGetSafeOwner(nullptr), text, AfxGetAppName(), AfxMessageBoxStyle(type));
}
