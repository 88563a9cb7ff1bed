#pragma once
// Texts of a program's version resource (VS_VERSIONINFO), read without the system's version DLL:
// the program takes no DLL by name that Windows may look for in the program's own folder.

#include <cstddef>
#include <cstdint>
#include <string>

// The value of the string `name` ("CompanyName", "ProductVersion", ...) in the first string table
// of a version resource of `size` bytes; empty when the name is missing or the bytes are damaged.
std::string FindVersionText(const std::uint8_t* data, std::size_t size, const char* name);

// The value of `name` in the running program's own version resource; empty when it has none.
std::string OwnVersionText(const char* name);
