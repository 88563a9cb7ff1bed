// Reports what the window system knows, for the end-to-end tests. CAPTION names a top-level window:
//   window CAPTION              found, iconic, visible, enabled, rectangle on screen
//   minimize CAPTION            minimises it as its taskbar button would
//   above UPPER LOWER           whether UPPER stands above LOWER in the z-order
//   close CAPTION               asks every visible window of that caption to close (its close box)
//   children [CAPTION [popup]]  class, rectangle, visibility and text of each child (popup: of its last
//                               active pop-up; no caption: of every visible dialog, after a "dialog=" line)
//   tree CAPTION                depth, label rectangle on screen and label of each visible tree item
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {
int ReportWindow(HWND hwnd) {
    RECT rect{};
    const bool found = hwnd && GetWindowRect(hwnd, &rect);
    std::printf("found=%d\niconic=%d\nvisible=%d\nenabled=%d\nrect=%ld,%ld,%ld,%ld\n", found ? 1 : 0,
                found && IsIconic(hwnd) ? 1 : 0, found && IsWindowVisible(hwnd) ? 1 : 0,
                found && IsWindowEnabled(hwnd) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
    return found ? 0 : 1;
}

int ReportAbove(HWND upper, HWND lower) {
    HWND next = upper;
    while (next && next != lower)
        next = GetWindow(next, GW_HWNDNEXT);
    std::printf("above=%d\n", lower && next == lower ? 1 : 0);
    return 0;
}

bool OwnedBy(HWND window, HWND owner) {
    while ((window = GetWindow(window, GW_OWNER)))
        if (window == owner)
            return true;
    return false;
}

// Where the keyboard focus of the foreground thread is: in the window itself, or in a pop-up it owns.
int ReportFocus(HWND hwnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const HWND root =
        hwnd && GetGUIThreadInfo(0, &info) && info.hwndFocus ? GetAncestor(info.hwndFocus, GA_ROOT) : nullptr;
    std::printf("window=%d\npopup=%d\n", root && root == hwnd ? 1 : 0, root && OwnedBy(root, hwnd) ? 1 : 0);
    return 0;
}

BOOL CALLBACK ReportChild(HWND hwnd, LPARAM) {
    char text[512] = {};
    char windowClass[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    std::printf("child=%s\t%ld,%ld,%ld,%ld\t%d\t%s\n", windowClass, rect.left, rect.top, rect.right,
                rect.bottom, IsWindowVisible(hwnd) ? 1 : 0, text);
    return TRUE;
}

BOOL CALLBACK ReportDialog(HWND hwnd, LPARAM) {
    char text[256] = {};
    GetClassNameA(hwnd, text, sizeof text);
    if (IsWindowVisible(hwnd) && std::strcmp(text, "#32770") == 0) {
        GetWindowTextA(hwnd, text, sizeof text);
        std::printf("dialog=%s\n", text);
        EnumChildWindows(hwnd, ReportChild, 0);
    }
    return TRUE;
}

BOOL CALLBACK CloseWindowNamed(HWND hwnd, LPARAM caption) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (IsWindowVisible(hwnd) && std::strcmp(text, reinterpret_cast<const char*>(caption)) == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Tree-view messages carry pointers, which the system does not carry across processes: the item and
// its text are exchanged through memory allocated in the tree's own process.
int ReportTree(HWND hwnd) {
    const HWND tree = hwnd ? FindWindowExA(hwnd, nullptr, WC_TREEVIEWA, nullptr) : nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    char* remote = nullptr;
    if (tree && process)
        remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    for (HTREEITEM item = remote ? TreeView_GetFirstVisible(tree) : nullptr; item;
         item = TreeView_GetNextVisible(tree, item)) {
        char label[256] = {};
        TVITEMA query{TVIF_TEXT, item, 0, 0, remote + sizeof(TVITEMA), sizeof label, 0, 0, 0, 0};
        WriteProcessMemory(process, remote, &query, sizeof query, nullptr);
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof query, label, sizeof label - 1, nullptr);
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item); // the message takes the item in the rectangle
        WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        MapWindowPoints(tree, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        int depth = 0;
        for (HTREEITEM parent = item; (parent = TreeView_GetParent(tree, parent)) != nullptr;)
            ++depth;
        std::printf("item=%d\t%ld,%ld,%ld,%ld\t%s\n", depth, rect.left, rect.top, rect.right, rect.bottom,
                    label);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
    return remote ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    const HWND hwnd = argc > 2 ? FindWindowA(nullptr, argv[2]) : nullptr;
    if (argc == 3 && std::strcmp(command, "window") == 0)
        return ReportWindow(hwnd);
    if (argc == 3 && std::strcmp(command, "focus") == 0)
        return ReportFocus(hwnd);
    if (argc == 3 && std::strcmp(command, "minimize") == 0)
        return hwnd && (ShowWindow(hwnd, SW_MINIMIZE), IsIconic(hwnd)) ? 0 : 1;
    if (argc == 4 && std::strcmp(command, "above") == 0)
        return ReportAbove(hwnd, FindWindowA(nullptr, argv[3]));
    if (argc == 3 && std::strcmp(command, "close") == 0)
        return EnumWindows(CloseWindowNamed, reinterpret_cast<LPARAM>(argv[2])) ? 0 : 1;
    if (argc == 2 && std::strcmp(command, "children") == 0)
        return EnumWindows(ReportDialog, 0) ? 0 : 1;
    if ((argc == 3 || argc == 4) && std::strcmp(command, "children") == 0) {
        const HWND parent = argc == 4 && hwnd ? GetLastActivePopup(hwnd) : hwnd;
        return parent ? (EnumChildWindows(parent, ReportChild, 0), 0) : 1;
    }
    if (argc == 3 && std::strcmp(command, "tree") == 0)
        return ReportTree(hwnd);
    std::fputs("usage: probe COMMAND ARGUMENTS (the commands: see probe.cpp)\n", stderr);
    return 2;
}
