// A DLL for planting beside a program under the name of a system DLL (tests only, never shipped).
// Loaded, it leaves a marker: a file named after the module it was loaded as, holding the path it
// was loaded from, in the folder HX_PLANTED_MARKERS names. It exports timeGetTime, so that a
// program importing winmm by name starts with it in winmm's place.
#include <windows.h>

#include <string>

namespace {
void LeaveMarker(HINSTANCE self) {
    char path[MAX_PATH] = {};
    const std::string module(path, GetModuleFileNameA(self, path, MAX_PATH));
    char folder[MAX_PATH] = {};
    GetEnvironmentVariableA("HX_PLANTED_MARKERS", folder, MAX_PATH);
    const std::string marker =
        std::string(folder) + "\\" + module.substr(module.find_last_of('\\') + 1) + ".loaded";
    HANDLE file =
        CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, module.data(), static_cast<DWORD>(module.size()), &written, nullptr);
    CloseHandle(file);
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI timeGetTime() {
    return GetTickCount();
}
