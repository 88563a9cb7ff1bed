// Which entry names a pack may carry.
#pragma once

#include "pack_fault.h"

#include <string_view>

namespace hx {

// Checks one entry name, as the reader applies it to every name and the writer to every name it is
// given. Returns PackFault::None for a sound name, else the first of:
//   NameEmpty, NameTooLong (84 bytes or more), NameHasZeroByte, NameHasControlCharacter (bytes 1-31),
//   NameHasColon (drive letters, alternate data streams), NameIsRooted (leading backslash or slash),
//   NameHasParentComponent (a ".." component, or one of dots and spaces that Windows trims to ".."),
//   NameIsDevice (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, CLOCK$, any case, any extension).
// Forward slashes count as backslashes. A relative directory part ("maps\\a.mfd") is allowed.
PackFault checkEntryName(std::string_view name);

} // namespace hx
