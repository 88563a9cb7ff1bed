// A stand-in for a program that travels in the demo pack: a small window that says which program it
// stands in for, the folder it was started in and its command line, so an install can be checked by eye
// and by tests. Built three times with different HX_STANDIN_* texts.
#include <windows.h>

#include <string>

#ifndef HX_STANDIN_TITLE
#error "HX_STANDIN_TITLE, HX_STANDIN_HEADING and HX_STANDIN_TEXT name the program this stands in for"
#endif

namespace {

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 200;
constexpr int kMargin = 16;
constexpr int kOkButtonId = IDOK;

std::string currentFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string("(unknown)");
}

std::string programFile() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string("(unknown)");
}

// Owns the fonts the window's controls use.
class Fonts {
public:
    Fonts()
        : heading_(CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma")) {}
    ~Fonts() {
        if (heading_) {
            DeleteObject(heading_);
        }
    }
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    HFONT heading() const { return heading_ ? heading_ : body(); }
    static HFONT body() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

private:
    HFONT heading_;
};

void addLabel(HWND parent, const std::string& text, int top, int height, HFONT font) {
    HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 kMargin, top, kClientWidth - 2 * kMargin, height, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void addContents(HWND window, const Fonts& fonts) {
    addLabel(window, HX_STANDIN_HEADING, kMargin, 22, fonts.heading());
    addLabel(window, HX_STANDIN_TEXT, 44, 18, Fonts::body());
    addLabel(window, "Started in: " + currentFolder(), 72, 30, Fonts::body());
    addLabel(window, "Command line: " + std::string(GetCommandLineA()), 104, 30, Fonts::body());
    addLabel(window, "Program file: " + programFile(), 136, 18, Fonts::body());
    HWND ok = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              (kClientWidth - 80) / 2, kClientHeight - 34, 80, 24, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkButtonId)),
                              GetModuleHandleA(nullptr), nullptr);
    SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::body()), FALSE);
    SetFocus(ok);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "HexbreakerDemoStandIn";
    RegisterClassA(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return CreateWindowExA(0, windowClass.lpszClassName, HX_STANDIN_TITLE, style, x, y, width, height,
                           nullptr, nullptr, instance, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const Fonts fonts;
    HWND window = createMainWindow(instance);
    if (!window) {
        return 1;
    }
    addContents(window, fonts);
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
