// Vectored exception handlers on every Windows: kernel32's AddVectoredExceptionHandler and
// RemoveVectoredExceptionHandler where the system has them (XP on), else stand-ins that register
// nothing. The C++ runtime's thread library calls both by import (it registers a handler at start so
// that naming a thread cannot end a program without a debugger, and names no thread without one);
// vectored_handlers.cpp defines those imports' pointers itself, so the programs' import tables never
// name the functions and they start on Windows 98, ME and 2000.
#pragma once

#include <windows.h>

namespace compat {

using AddVectoredHandlerFunction = PVOID(WINAPI*)(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
using RemoveVectoredHandlerFunction = ULONG(WINAPI*)(PVOID cookie);

// The stand-ins: no handler registered (null), nothing removed (0).
PVOID WINAPI AddNoVectoredHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
ULONG WINAPI RemoveNoVectoredHandler(PVOID cookie);

// kernel32's functions looked up in the given module, or the stand-ins when it does not export them.
AddVectoredHandlerFunction ResolveAddVectoredHandler(HMODULE kernel32);
RemoveVectoredHandlerFunction ResolveRemoveVectoredHandler(HMODULE kernel32);

} // namespace compat
