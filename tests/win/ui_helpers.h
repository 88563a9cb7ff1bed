#pragma once
// Helpers for tests that drive real windows in this process from thread timers, which every modal loop runs.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace uitest {

enum class ConfirmAnswer { Exit, Resume, Enter };

// While it lives, looks at the calling thread's visible dialogs every 20 ms. A message box is read
// into `boxes` as "<icon> <caption>: <text>" (icon: hand, exclamation, information, other or none),
// its buttons' texts into `buttons` (as "OK Cancel"), and answered OK. An exit confirmation is shown to
// `atQuestion` when it opens and, five polls later (ticks come while it is open), answered with the next of
// `answers` (Exit when none is left) and counted in `questions`.
struct User {
    User();
    ~User();
    User(const User&) = delete;

    std::vector<ConfirmAnswer> answers;
    std::function<void(HWND)> atQuestion;
    std::vector<std::string> boxes;
    std::vector<std::string> buttons;
    int questions = 0;
    UINT_PTR timer = 0;
};

// Checks the quit a modal loop left in the queue (nullopt: none) and the exit status it set; clears both.
void ExpectQuit(std::optional<int> code);

void RemoveTree(const std::string& path);

// Runs `action` after `delay` ms from inside whatever modal loop runs then (a thread timer).
void RunSoon(std::function<void()> action, UINT delay = 10);

} // namespace uitest
