#pragma once
// Helpers for tests that drive real windows in the test process: find a window that another
// part of the program opens, read its texts and answer it as a user would, from a second thread
// while the program's own modal loop runs.

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace uitest {

// A visible dialog (class #32770) of the calling thread with the caption, or nullptr.
HWND FindThreadDialog(const char* caption);

std::string WindowText(HWND hwnd);
// The texts of a dialog's static controls, in child order (a message box's text is one of them).
std::vector<std::string> StaticTexts(HWND dialog);
// Which standard icon a message box shows (MB_ICONHAND, ...), found by comparing the icon of its
// icon control with the system's; 0 when it shows none.
UINT MessageBoxIcon(HWND box);

// Presses a dialog's button the way a click does (BM_CLICK on the button, posted).
void ClickButton(HWND dialog, int id);
// Sends the dialog the command its button's click gives, and returns once it has been handled.
void PressButton(HWND dialog, int id);

// What a message box showed, captured and answered on another thread.
struct MessageBoxSeen {
    bool shown = false;
    std::string caption;
    std::string text;
    UINT icon = 0; // MB_ICONHAND, MB_ICONEXCLAMATION, ... as read from the box's icon control
};

// Starts watching for a message box (class #32770 with a static text); answers it with the
// button `answer` and reports what it showed. The result is ready when the box has been
// answered or `timeout` passed.
std::future<MessageBoxSeen>
AnswerNextMessageBox(int answer, std::chrono::milliseconds timeout = std::chrono::seconds(10));

enum class ConfirmAnswer { Exit, Resume, Escape, Enter, CloseBox };

// Posts to the exit confirmation what the answer produces: a click on Exit or Resume, the Escape
// or Enter key on the control that has the focus, or the close box's system command.
void AnswerExitConfirmation(HWND confirmation, ConfirmAnswer answer);

// Empties the calling thread's message queue and returns the code of the quit message a modal
// loop left there for the loops outside it, or nullopt when there was none.
std::optional<int> TakeQuitMessage();

// Removes a folder and everything in it; nothing when it does not exist.
void RemoveTree(const std::string& path);
std::string CurrentDirectory();

// Runs `action` on the calling thread's message queue after `delay`, from inside whatever
// modal loop is running then (a thread timer).
void RunSoon(std::function<void()> action, UINT delay = 10);

} // namespace uitest
