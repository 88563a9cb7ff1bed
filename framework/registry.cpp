#include "registry.h"

#include <cstring>
#include <vector>

std::string RegKey::QueryText(const char* name, DWORD capacity) const {
    std::vector<char> buffer(capacity, '\0');
    DWORD size = capacity;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    // Only text is a path or a folder: the bytes of a number or binary data would make a bogus one.
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {};
    return std::string(buffer.data(), strnlen(buffer.data(), size));
}

LONG RegKey::SetText(const char* name, const std::string& text) const {
    return RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}
