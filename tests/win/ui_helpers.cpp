#include "ui_helpers.h"

#include "app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <utility>

namespace uitest {
namespace {
User* g_user = nullptr;
HWND g_question = nullptr; // the exit confirmation open, and for how many polls
int g_pollsOpen = 0;
std::map<UINT_PTR, std::function<void()>> g_pending;

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// What a message box shows: its icon (named by comparing it with the system's), text and buttons.
struct SeenBox {
    std::string icon = "none", text, buttons;
};

BOOL CALLBACK ReadChild(HWND child, LPARAM lParam) {
    auto& [icon, text, buttons] = *reinterpret_cast<SeenBox*>(lParam);
    char windowClass[32] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    if (const auto shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)))
        icon = shown == LoadIconA(nullptr, IDI_HAND)          ? "hand"
               : shown == LoadIconA(nullptr, IDI_EXCLAMATION) ? "exclamation"
               : shown == LoadIconA(nullptr, IDI_ASTERISK)    ? "information"
                                                              : "other";
    else if (lstrcmpiA(windowClass, "Static") == 0)
        text += WindowText(child);
    else if (lstrcmpiA(windowClass, "Button") == 0)
        buttons += (buttons.empty() ? "" : " ") + WindowText(child);
    return TRUE;
}

void Answer(HWND confirmation, ConfirmAnswer answer) {
    if (answer == ConfirmAnswer::Enter) // the key goes to the control that has the focus
        PostMessageA(GetFocus() ? GetFocus() : confirmation, WM_KEYDOWN, VK_RETURN, 0x00010001);
    else
        PostMessageA(GetDlgItem(confirmation, answer == ConfirmAnswer::Exit ? IDOK : IDCANCEL), BM_CLICK, 0,
                     0);
}

BOOL CALLBACK Visit(HWND hwnd, LPARAM) {
    User& user = *g_user;
    char windowClass[16] = {};
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    if (!IsWindowVisible(hwnd) || lstrcmpA(windowClass, "#32770") != 0)
        return TRUE;
    if (WindowText(hwnd) == "Exit installation") {
        if (std::exchange(g_question, hwnd) != hwnd) {
            g_pollsOpen = 0;
            if (user.atQuestion)
                user.atQuestion(hwnd);
        } else if (++g_pollsOpen == 5) {
            const size_t index = static_cast<size_t>(user.questions++);
            Answer(hwnd, index < user.answers.size() ? user.answers[index] : ConfirmAnswer::Exit);
        }
    } else if (GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 0) { // the framework's windows carry their object
        SeenBox seen;
        EnumChildWindows(hwnd, ReadChild, reinterpret_cast<LPARAM>(&seen));
        user.boxes.push_back(seen.icon + " " + WindowText(hwnd) + ": " + seen.text);
        user.buttons.push_back(seen.buttons);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return TRUE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    if (g_user)
        EnumThreadWindows(GetCurrentThreadId(), Visit, 0);
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto pending = g_pending.extract(id);
    if (!pending.empty())
        pending.mapped()();
}
} // namespace

User::User() : timer(SetTimer(nullptr, 0, 20, Poll)) {
    g_user = this;
    g_question = nullptr;
}

User::~User() {
    KillTimer(nullptr, timer);
    g_user = nullptr;
}

void ExpectQuit(std::optional<int> code) {
    std::optional<int> left;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            left = static_cast<int>(msg.wParam);
    EXPECT_EQ(left, code) << "the quit goes on to the loops outside";
    EXPECT_EQ(AfxGetApp()->m_nExitCode, code.value_or(0));
    AfxGetApp()->m_nExitCode = 0;
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

void RunSoon(std::function<void()> action, UINT delay) {
    g_pending[SetTimer(nullptr, 0, delay, RunPending)] = std::move(action);
}

} // namespace uitest
