#include "dialog_checks.h"

#include "ui_helpers.h"

namespace uitest {
namespace {
// Reads a dialog template's words in order: numbers, and the "string or ordinal" fields.
class TemplateCursor {
public:
    explicit TemplateCursor(const BYTE* at) : m_at(at) {}

    template <typename T> T Take() {
        T value{};
        CopyMemory(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    std::string TakeString() {
        const auto* text = reinterpret_cast<const WCHAR*>(m_at);
        const int length = lstrlenW(text);
        m_at += (length + 1) * sizeof(WCHAR);
        return Narrow(text, length);
    }
    // A field that is absent (0), an ordinal (0xFFFF then the number) or a string.
    std::string TakeStringOrOrdinal(int& ordinal) {
        ordinal = -1;
        const WORD first = *reinterpret_cast<const WORD*>(m_at);
        if (first == 0) {
            m_at += sizeof(WORD);
            return {};
        }
        if (first == 0xFFFF) {
            m_at += sizeof(WORD);
            ordinal = Take<WORD>();
            return {};
        }
        return TakeString();
    }
    void Skip(size_t bytes) { m_at += bytes; }
    void AlignToDword() {
        const auto address = reinterpret_cast<ULONG_PTR>(m_at);
        m_at = reinterpret_cast<const BYTE*>((address + 3) & ~ULONG_PTR{3});
    }

private:
    static std::string Narrow(const WCHAR* text, int length) {
        std::string narrow(static_cast<size_t>(length) * 2, '\0');
        const int written = WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(),
                                                static_cast<int>(narrow.size()), nullptr, nullptr);
        narrow.resize(static_cast<size_t>(written));
        return narrow;
    }

    const BYTE* m_at;
};

std::string PredefinedClassName(int ordinal) {
    switch (ordinal) {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    default:
        return "#" + std::to_string(ordinal);
    }
}

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

std::optional<DialogTemplateInfo> ReadDialogTemplate(UINT id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes || *reinterpret_cast<const DWORD*>(bytes) == 0xFFFF0001) // extended templates start so
        return std::nullopt;

    TemplateCursor cursor(bytes);
    DialogTemplateInfo info;
    info.style = cursor.Take<DWORD>();
    info.exStyle = cursor.Take<DWORD>();
    const WORD count = cursor.Take<WORD>();
    info.x = cursor.Take<short>();
    info.y = cursor.Take<short>();
    info.cx = cursor.Take<short>();
    info.cy = cursor.Take<short>();
    int ordinal = -1;
    cursor.TakeStringOrOrdinal(ordinal); // menu
    cursor.TakeStringOrOrdinal(ordinal); // window class
    info.caption = cursor.TakeString();
    if (info.style & DS_SETFONT) {
        info.pointSize = cursor.Take<WORD>();
        info.font = cursor.TakeString();
    }
    for (WORD i = 0; i < count; ++i) {
        cursor.AlignToDword();
        TemplateControl control;
        control.style = cursor.Take<DWORD>();
        control.exStyle = cursor.Take<DWORD>();
        control.x = cursor.Take<short>();
        control.y = cursor.Take<short>();
        control.cx = cursor.Take<short>();
        control.cy = cursor.Take<short>();
        control.id = cursor.Take<short>();
        control.windowClass = cursor.TakeStringOrOrdinal(ordinal);
        if (ordinal >= 0)
            control.windowClass = PredefinedClassName(ordinal);
        control.text = cursor.TakeStringOrOrdinal(control.textResource);
        cursor.Skip(cursor.Take<WORD>()); // creation data
        info.controls.push_back(control);
    }
    return info;
}

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
