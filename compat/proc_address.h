#pragma once

#include <windows.h>

// The function `name` of `module` as a `Function` pointer; null where the module is null or lacks it.
// Every run-time look-up goes through here, so programs import only what the oldest system exports.
template <typename Function> Function ProcAddress(HMODULE module, const char* name) {
    const FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}
