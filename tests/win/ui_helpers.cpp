#include "ui_helpers.h"

#include <filesystem>
#include <map>
#include <thread>

namespace uitest {
namespace {
struct Search {
    const char* caption;
    const char* windowClass;
    bool systemDialogsOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd))
        return TRUE;
    char text[256] = {};
    char windowClass[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    // The watcher thread reads no framework state: the framework's windows carry their object in
    // the user data, the system's dialogs (message boxes) carry none.
    if (search.systemDialogsOnly && GetWindowLongPtrA(hwnd, GWLP_USERDATA) != 0)
        return TRUE;
    if ((!search.caption || search.caption == std::string(text)) &&
        (!search.windowClass || search.windowClass == std::string(windowClass))) {
        search.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool IsStatic(HWND child) {
    char windowClass[32] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    return lstrcmpiA(windowClass, "Static") == 0;
}

bool ShowsIcon(HWND child) {
    return (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM lParam) {
    if (IsStatic(child) && !ShowsIcon(child)) {
        const std::string text = WindowText(child);
        if (!text.empty())
            reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(text);
    }
    return TRUE;
}

BOOL CALLBACK FindIconControl(HWND child, LPARAM lParam) {
    if (!IsStatic(child) || !ShowsIcon(child))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = child;
    return FALSE;
}

std::map<UINT_PTR, std::function<void()>>& PendingActions() {
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto& actions = PendingActions();
    const auto found = actions.find(id);
    if (found == actions.end())
        return;
    const auto action = std::move(found->second);
    actions.erase(found);
    action();
}

HWND FindWindowMatching(const char* caption, const char* windowClass, bool systemDialogsOnly,
                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        Search search{caption, windowClass, systemDialogsOnly, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return nullptr;
}
} // namespace

HWND FindThreadDialog(const char* caption) {
    Search search{caption, "#32770", false, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

UINT MessageBoxIcon(HWND box) {
    HWND iconControl = nullptr;
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&iconControl));
    if (!iconControl)
        return 0;
    const auto shown = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    const std::pair<LPCSTR, UINT> icons[] = {{IDI_HAND, MB_ICONHAND},
                                             {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                                             {IDI_QUESTION, MB_ICONQUESTION},
                                             {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& [resource, style] : icons)
        if (LoadIconA(nullptr, resource) == shown)
            return style;
    return 0;
}

void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::future<MessageBoxSeen> AnswerNextMessageBox(int answer, std::chrono::milliseconds timeout) {
    return std::async(std::launch::async, [answer, timeout] {
        MessageBoxSeen seen;
        HWND box = FindWindowMatching(nullptr, "#32770", true, timeout);
        if (!box)
            return seen;
        // Let the box finish laying itself out before reading it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen.shown = true;
        seen.caption = WindowText(box);
        const auto texts = StaticTexts(box);
        seen.text = texts.empty() ? std::string() : texts.front();
        seen.icon = MessageBoxIcon(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        return seen;
    });
}

void AnswerExitConfirmation(HWND confirmation, ConfirmAnswer answer) {
    switch (answer) {
    case ConfirmAnswer::Exit:
        ClickButton(confirmation, IDOK);
        break;
    case ConfirmAnswer::Resume:
        ClickButton(confirmation, IDCANCEL);
        break;
    case ConfirmAnswer::Escape:
    case ConfirmAnswer::Enter: {
        HWND focus = GetFocus();
        const WPARAM key = answer == ConfirmAnswer::Escape ? VK_ESCAPE : VK_RETURN;
        PostMessageA(focus ? focus : confirmation, WM_KEYDOWN, key, 0x00010001);
        break;
    }
    case ConfirmAnswer::CloseBox:
        PostMessageA(confirmation, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

std::optional<int> TakeQuitMessage() {
    std::optional<int> code;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            code = static_cast<int>(msg.wParam);
    return code;
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, path);
    return path;
}

void RunSoon(std::function<void()> action, UINT delay) {
    const UINT_PTR id = SetTimer(nullptr, 0, delay, RunPendingAction);
    PendingActions()[id] = std::move(action);
}

} // namespace uitest
