#pragma once
// Helpers for the tests of the install dialogs: a dialog template read back from the program's
// resources, and the exit confirmation answered the way a user's click or key does it.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace uitest {

struct TemplateControl {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;              // as a signed 16-bit number: -1 for the unnamed controls
    std::string windowClass; // "Button", "Static", ... for the predefined classes
    std::string text;
    int textResource = -1; // the resource number a control names instead of a text (a bitmap)
};

struct DialogTemplateInfo {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    std::vector<TemplateControl> controls; // in template order
};

// A plain (not extended) dialog template of this module; nullopt when there is none.
std::optional<DialogTemplateInfo> ReadDialogTemplate(UINT id);

// A visible dialog (class #32770) of the calling thread with the caption, or nullptr.
HWND FindThreadDialog(const char* caption);

enum class ConfirmAnswer { Exit, Resume, Escape, CloseBox };
const char* ToString(ConfirmAnswer answer);

// Posts to the exit confirmation what the answer produces: a click on Exit or Resume, the Escape
// key on the control that has the focus, or the close box's system command.
void AnswerExitConfirmation(HWND confirmation, ConfirmAnswer answer);

} // namespace uitest
