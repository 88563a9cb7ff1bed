#include "dll_search.h"

#include "paths.h"

namespace {
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

// SetDefaultDllDirectories where the system has it. Its presence also tells that LoadLibraryEx knows
// the LOAD_LIBRARY_SEARCH_* flags.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesProc(HMODULE kernel32 = GetModuleHandleA("kernel32.dll")) {
    return ProcAddress<SetDefaultDllDirectoriesFn>(kernel32, "SetDefaultDllDirectories");
}
} // namespace

void RestrictDllSearch(HMODULE kernel32) {
    if (const auto setDefaultDllDirectories = SetDefaultDllDirectoriesProc(kernel32))
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // XP SP1 on; 98, ME, 2000 and XP before SP1 keep the system's default search.
    if (const auto setDllDirectory = ProcAddress<SetDllDirectoryFn>(kernel32, "SetDllDirectoryA"))
        setDllDirectory("");
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
