#pragma once
// Helpers for the tests of the install dialogs: find one of them, and answer the exit
// confirmation the way a user's click or key does it.

#include <windows.h>

namespace uitest {

// A visible dialog (class #32770) of the calling thread with the caption, or nullptr.
HWND FindThreadDialog(const char* caption);

enum class ConfirmAnswer { Exit, Resume, Escape, CloseBox };
const char* ToString(ConfirmAnswer answer);

// Posts to the exit confirmation what the answer produces: a click on Exit or Resume, the Escape
// key on the control that has the focus, or the close box's system command.
void AnswerExitConfirmation(HWND confirmation, ConfirmAnswer answer);

} // namespace uitest
