#pragma once
// The uninstaller, hxduninst.exe: what the program group's "Uninstall HexbreakerDemo" starts from
// the Windows folder, with no CD needed. One running copy at a time; it asks, then removes the
// installation with the same code as setup.exe's Uninstall, and tells how it went.

#include "app.h"

// The mutex that marks a running uninstaller.
constexpr const char* kUninstallerMutex = "HexbreakerDemoUninstaller";

// The uninstaller's exit statuses.
enum UninstallStatus : int {
    kStatusRemoved = 0,     // removed; also a second copy, which only brings the first one forward
    kStatusNothingDone = 1, // nothing installed, or the question not answered with OK
    kStatusFailed = 2,      // the installed folder was gone, or a file could not be deleted
};

// Reads the product record as setup.exe does, asks, removes and tells the outcome in a box of its
// own (no owner). Returns the exit status.
int RunUninstall();

class CUninstallApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override { return m_nStatus; }

private:
    int m_nStatus = kStatusRemoved;
};
