#include "running_copy.h"

#include <windows.h>

bool ClaimRunningCopy(const char* name) {
    // Never closed: the handle goes with the process.
    CreateMutexA(nullptr, TRUE, name);
    return GetLastError() != ERROR_ALREADY_EXISTS;
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
