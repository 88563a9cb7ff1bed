// Reports what the window system knows of a top-level window, for end-to-end tests that drive
// setup.exe from outside:
//   probe window CAPTION          found, iconic, visible, enabled, rectangle, last active pop-up
//   probe minimize CAPTION        minimises the window as its taskbar button would
//   probe above UPPER LOWER       whether UPPER stands above LOWER in the z-order
//   probe list                    every top-level window: handle, class, caption, state
//   probe children [CAPTION [popup]]  each child window: class, rectangle on screen, visibility, text;
//                                 with popup: of the pop-up last active above that window; without
//                                 a caption: of every visible dialog, each after a "dialog=" line
//   probe close CAPTION           asks every visible window of that caption to close (its close box)
//   probe hold FILE               opens FILE as a program that has it in use would (others may only
//                                 read it), says "held=1" and keeps it open until killed
//   probe tree CAPTION            each visible item of the window's tree view, top to bottom: its
//                                 depth, its label's rectangle on screen, whether selected, label
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {
int ReportWindow(const char* caption) {
    HWND hwnd = FindWindowA(nullptr, caption);
    if (!hwnd) {
        std::printf("found=0\n");
        return 1;
    }
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    char popup[256] = {};
    GetWindowTextA(GetLastActivePopup(hwnd), popup, sizeof popup);
    std::printf("found=1\niconic=%d\nvisible=%d\nenabled=%d\nrect=%ld,%ld,%ld,%ld\npopup=%s\n",
                IsIconic(hwnd) ? 1 : 0, IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0,
                rect.left, rect.top, rect.right, rect.bottom, popup);
    return 0;
}

int Minimize(const char* caption) {
    HWND hwnd = FindWindowA(nullptr, caption);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_MINIMIZE);
    return IsIconic(hwnd) ? 0 : 1;
}

int ReportAbove(const char* upper, const char* lower) {
    HWND top = FindWindowA(nullptr, upper);
    HWND bottom = FindWindowA(nullptr, lower);
    if (!top || !bottom) {
        std::printf("above=?\n");
        return 1;
    }
    for (HWND next = GetWindow(top, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
        if (next == bottom) {
            std::printf("above=1\n");
            return 0;
        }
    std::printf("above=0\n");
    return 0;
}
BOOL CALLBACK ListWindow(HWND hwnd, LPARAM) {
    char caption[256] = {};
    char windowClass[64] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::printf("%p pid=%lu class=%s visible=%d enabled=%d iconic=%d owner=%p caption=%s\n",
                static_cast<void*>(hwnd), pid, windowClass, IsWindowVisible(hwnd) ? 1 : 0,
                IsWindowEnabled(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0,
                static_cast<void*>(GetWindow(hwnd, GW_OWNER)), caption);
    return TRUE;
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
    char windowClass[64] = {};
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    if (!IsWindowVisible(hwnd) || std::strcmp(windowClass, "#32770") != 0)
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    std::printf("dialog=%s\n", caption);
    EnumChildWindows(hwnd, ReportChild, 0);
    return TRUE;
}

int ReportChildren(const char* caption, bool ofPopup) {
    if (!caption)
        return EnumWindows(ReportDialog, 0) ? 0 : 1;
    HWND hwnd = FindWindowA(nullptr, caption);
    if (hwnd && ofPopup)
        hwnd = GetLastActivePopup(hwnd);
    if (!hwnd)
        return 1;
    EnumChildWindows(hwnd, ReportChild, 0);
    return 0;
}

BOOL CALLBACK CloseWindowNamed(HWND hwnd, LPARAM caption) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (IsWindowVisible(hwnd) && std::strcmp(text, reinterpret_cast<const char*>(caption)) == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}
int HoldFile(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("held=0\n");
        return 1;
    }
    std::printf("held=1\n");
    std::fflush(stdout);
    Sleep(INFINITE); // the handle goes when the process is killed
    CloseHandle(file);
    return 0;
}
// Tree-view messages carry pointers, which the system does not carry across processes: the item
// and its text are exchanged through memory allocated in the tree's own process.
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, SIZE_T size) : m_size(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Valid() const { return m_address != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return offset + size <= m_size && WriteProcessMemory(m_process, At(offset), data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return offset + size <= m_size && ReadProcessMemory(m_process, At(offset), data, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    SIZE_T m_size;
};

int ItemDepth(HWND tree, HTREEITEM item) {
    int depth = 0;
    while ((item = TreeView_GetParent(tree, item)) != nullptr)
        ++depth;
    return depth;
}

void ReportTreeItem(HWND tree, HTREEITEM item, const RemoteBuffer& remote) {
    constexpr SIZE_T kTextAt = sizeof(TVITEMA);
    char label[256] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_STATE;
    query.hItem = item;
    query.stateMask = TVIS_SELECTED;
    query.pszText = remote.At(kTextAt);
    query.cchTextMax = sizeof label;
    remote.Write(0, &query, sizeof query);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &query, sizeof query);
    remote.Read(kTextAt, label, sizeof label - 1);

    RECT rect{};
    std::memcpy(&rect, &item, sizeof item); // the message takes the item in the rectangle
    remote.Write(0, &rect, sizeof rect);
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, &rect, sizeof rect);
    MapWindowPoints(tree, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("item=%d\t%ld,%ld,%ld,%ld\t%d\t%s\n", ItemDepth(tree, item), rect.left, rect.top, rect.right,
                rect.bottom, (query.state & TVIS_SELECTED) ? 1 : 0, label);
}

int ReportTree(const char* caption) {
    const HWND hwnd = FindWindowA(nullptr, caption);
    const HWND tree = hwnd ? FindWindowExA(hwnd, nullptr, WC_TREEVIEWA, nullptr) : nullptr;
    if (!tree)
        return 1;
    const RemoteBuffer remote(tree, sizeof(TVITEMA) + 256);
    if (!remote.Valid())
        return 1;
    for (HTREEITEM item = TreeView_GetFirstVisible(tree); item; item = TreeView_GetNextVisible(tree, item))
        ReportTreeItem(tree, item, remote);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "window") == 0)
        return ReportWindow(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "minimize") == 0)
        return Minimize(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "above") == 0)
        return ReportAbove(argv[2], argv[3]);
    if (argc >= 2 && argc <= 4 && std::strcmp(argv[1], "children") == 0)
        return ReportChildren(argc > 2 ? argv[2] : nullptr, argc == 4 && std::strcmp(argv[3], "popup") == 0);
    if (argc == 2 && std::strcmp(argv[1], "list") == 0)
        return EnumWindows(ListWindow, 0) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        return EnumWindows(CloseWindowNamed, reinterpret_cast<LPARAM>(argv[2])) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0)
        return HoldFile(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "tree") == 0)
        return ReportTree(argv[2]);
    std::fprintf(stderr, "usage: probe window|minimize CAPTION | probe above UPPER LOWER\n");
    return 2;
}
