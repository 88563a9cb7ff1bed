#pragma once
// Where the program's DLLs come from. The program runs with administrator rights from a folder that
// anyone may have written to (a copy of the CD in a downloads folder, a disc image), so no DLL may
// come from there or from the current folder: the program imports by name only DLLs that Windows
// always takes from the system folder (its KnownDLLs), and loads every other one by its full path.

#include "proc_address.h"

#include <windows.h>

#include <string>

// Takes the program's folder and the current folder out of the search for every DLL loaded by name
// from now on, the platform's own loads included: only the system folder is searched where the
// system can be told so (SetDefaultDllDirectories: Windows 8 on, and Vista and 7 with the update
// that adds it); elsewhere the current folder leaves the search (XP SP1 on; on older systems the
// search stays as it is). Both functions are looked up at run time in `kernel32`; where it lacks
// them the search is left alone. Called first at start.
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

    HMODULE GetSafeHandle() const { return m_hModule; }
    // The exported function `name` as a `Function` pointer; null when the DLL did not load or lacks it.
    template <typename Function> Function GetProc(const char* name) const {
        return ProcAddress<Function>(m_hModule, name);
    }

private:
    HMODULE m_hModule = nullptr;
};
