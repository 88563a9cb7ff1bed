// The 64-bit tick count on every Windows: kernel32's GetTickCount64 where the system has it (Vista
// on), else the 32-bit GetTickCount extended to 64 bits. The C++ runtime's thread library calls
// GetTickCount64 by import; tick_count.cpp defines that import's pointer itself, so the programs'
// import tables never name the function and they start on Windows XP.
#pragma once

#include <windows.h>

#include <cstdint>

namespace compat {

using TickCount64Function = ULONGLONG(WINAPI*)();

// The tick count now, given the 32-bit count and the 64-bit count returned last time: the high part
// goes up by one each time the 32-bit count has wrapped since (it wraps every 49.7 days).
std::uint64_t ExtendTickCount(std::uint32_t now, std::uint64_t previous);

// The 32-bit count extended; safe to call from several threads.
ULONGLONG WINAPI TickCount64FromTickCount();

// kernel32's GetTickCount64 looked up in the given module, or TickCount64FromTickCount when the
// module does not export it.
TickCount64Function ResolveTickCount64(HMODULE kernel32);

} // namespace compat
