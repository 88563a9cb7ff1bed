#include "dll_search.h"

#include "paths.h"

namespace {
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories where the system has it. Its presence also tells that LoadLibraryEx knows
// the LOAD_LIBRARY_SEARCH_* flags.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesProc() {
    const FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(proc));
}
} // namespace

void RestrictDllSearch() {
    if (const auto setDefaultDllDirectories = SetDefaultDllDirectoriesProc())
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

std::string SystemDllPath(const char* fileName) {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return JoinPath(std::string(folder, length), fileName);
}

CSystemDll::CSystemDll(const char* fileName) {
    const std::string path = SystemDllPath(fileName);
    if (path.empty())
        return;
    // The DLL's own imports: from the system folder alone where the system knows the flag, else
    // from the DLL's folder (the system folder) before the others.
    const DWORD flags =
        SetDefaultDllDirectoriesProc() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    m_hModule = LoadLibraryExA(path.c_str(), nullptr, flags);
}

CSystemDll::~CSystemDll() {
    if (m_hModule)
        FreeLibrary(m_hModule);
}
