// The sample library that the demo pack sends to the Windows system folder (destination rule 3): a real
// DLL with one export, so the copy can be checked by loading it.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI HxSoundVersion() {
    return 0x00010000; // 1.0
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
