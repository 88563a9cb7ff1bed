#include "dialog_checks.h"

#include "ui_helpers.h"

namespace uitest {
namespace {
struct ThreadDialogSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchThreadDialog(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<ThreadDialogSearch*>(lParam);
    char windowClass[16] = {};
    GetClassNameA(hwnd, windowClass, sizeof windowClass);
    if (IsWindowVisible(hwnd) && lstrcmpA(windowClass, "#32770") == 0 && WindowText(hwnd) == search.caption) {
        search.found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindThreadDialog(const char* caption) {
    ThreadDialogSearch search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchThreadDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const char* ToString(ConfirmAnswer answer) {
    switch (answer) {
    case ConfirmAnswer::Exit:
        return "Exit";
    case ConfirmAnswer::Resume:
        return "Resume";
    case ConfirmAnswer::Escape:
        return "Escape";
    case ConfirmAnswer::CloseBox:
        return "close box";
    }
    return "?";
}

void AnswerExitConfirmation(HWND confirmation, ConfirmAnswer answer) {
    switch (answer) {
    case ConfirmAnswer::Exit:
        ClickButton(confirmation, IDOK);
        break;
    case ConfirmAnswer::Resume:
        ClickButton(confirmation, IDCANCEL);
        break;
    case ConfirmAnswer::Escape: {
        HWND focus = GetFocus();
        PostMessageA(focus ? focus : confirmation, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
    }
    case ConfirmAnswer::CloseBox:
        PostMessageA(confirmation, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

} // namespace uitest
