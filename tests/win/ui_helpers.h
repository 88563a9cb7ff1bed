#pragma once
// Helpers for tests that drive real windows in the test process: a user who reads and answers the
// dialogs other parts of the program open, from a thread timer, which every modal loop runs.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace uitest {

// Posts the click on a dialog's button that a user's click gives (BM_CLICK).
void ClickButton(HWND dialog, int id);
// Sends the dialog the command its button's click gives, and returns once it has been handled.
void PressButton(HWND dialog, int id);

enum class ConfirmAnswer { Exit, Resume, Escape, Enter, CloseBox };

// While it lives, looks at the calling thread's visible dialogs every 20 ms. A message box is
// read into `boxes` as "<icon> <caption>: <text>" (icon: hand, exclamation, other) and answered
// OK. An exit confirmation is shown to `atQuestion` when it opens and, five polls later (ticks
// come while it is open), answered with the next of `answers`, Exit when none is left, and
// counted in `questions`. One user at a time.
struct User {
    User();
    ~User();
    User(const User&) = delete;

    std::vector<ConfirmAnswer> answers;
    std::function<void(HWND)> atQuestion;
    std::vector<std::string> boxes;
    int questions = 0;
    UINT_PTR timer = 0;
};

// Empties the thread's message queue; returns the code of a quit message a modal loop left there.
std::optional<int> TakeQuitMessage();

// Removes a folder and everything in it; nothing when it does not exist.
void RemoveTree(const std::string& path);

// Runs `action` after `delay` ms from inside whatever modal loop runs then (a thread timer).
void RunSoon(std::function<void()> action, UINT delay = 10);

} // namespace uitest
