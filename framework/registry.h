#pragma once
// A registry key that closes itself. Failures are reported by return codes, never thrown.

#include <windows.h>

#include <string>
#include <utility>

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG Open(HKEY root, const char* path, REGSAM access) {
        Close();
        return RegOpenKeyExA(root, path, 0, access, &m_hKey);
    }
    // Creates the key, with any missing parents, or opens it when it exists.
    LONG Create(HKEY root, const char* path, REGSAM access) {
        Close();
        return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &m_hKey,
                               nullptr);
    }
    void Close() {
        if (m_hKey)
            RegCloseKey(std::exchange(m_hKey, nullptr));
    }

    // The text of a value, read whole up to `capacity` bytes (its NUL included); empty when the
    // value is missing or longer.
    std::string QueryText(const char* name, DWORD capacity = MAX_PATH) const;
    // Stores a REG_SZ value; the stored size counts the terminating NUL.
    LONG SetText(const char* name, const std::string& text) const;

    HKEY m_hKey = nullptr;
};
