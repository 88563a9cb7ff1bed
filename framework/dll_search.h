#pragma once
// Where the program's DLLs come from: never its own folder or the current one, which anyone may
// have written to. DLLs outside the system's KnownDLLs are loaded by full path.

#include "proc_address.h"

#include <windows.h>

#include <string>

// Takes the program's folder and the current folder out of the search for every DLL loaded by name
// from now on: only the system folder with SetDefaultDllDirectories, else SetDllDirectory(""), both
// looked up in `kernel32`; without either the search is left alone. Called first at start.
void RestrictDllSearch(HMODULE kernel32 = GetModuleHandleA("kernel32.dll"));

// "<system folder>\<fileName>", e.g. "C:\WINDOWS\system32\winmm.dll"; empty when the system folder
// cannot be read.
std::string SystemDllPath(const char* fileName);

// A DLL of the system folder, loaded by its full path while the object lives. The DLLs it imports
// come from the system folder too.
class CSystemDll {
public:
    explicit CSystemDll(const char* fileName);
    ~CSystemDll();
    CSystemDll(const CSystemDll&) = delete;
    CSystemDll& operator=(const CSystemDll&) = delete;

    // The exported function `name` as a `Function` pointer; null when the DLL did not load or lacks it.
    template <typename Function> Function GetProc(const char* name) const {
        return ProcAddress<Function>(m_hModule, name);
    }

private:
    HMODULE m_hModule = nullptr;
};
