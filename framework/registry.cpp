#include "registry.h"

#include <cstring>
#include <vector>

std::string RegKey::QueryText(const char* name, DWORD capacity) const {
    std::vector<char> buffer(capacity, '\0');
    DWORD size = capacity;
    if (RegQueryValueExA(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return std::string(buffer.data(), strnlen(buffer.data(), size));
}

LONG RegKey::SetText(const char* name, const std::string& text) const {
    return RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}
