#pragma once
// A registry key that closes itself. Failures are reported by return codes, never thrown.

#include <windows.h>

#include <string>

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Opens the key; on failure the key held before stays held.
    LONG Open(HKEY root, const char* path, REGSAM access) {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyExA(root, path, 0, access, &opened);
        if (status == ERROR_SUCCESS)
            Reset(opened);
        return status;
    }
    // Creates the key, with any missing parents, or opens it when it exists; on failure the key
    // held before stays held.
    LONG Create(HKEY root, const char* path, REGSAM access) {
        HKEY created = nullptr;
        const LONG status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                            &created, nullptr);
        if (status == ERROR_SUCCESS)
            Reset(created);
        return status;
    }
    void Close() { Reset(nullptr); }

    // The text of a value, read whole up to `capacity` bytes (its NUL included); empty when the
    // value is missing, longer, or not text.
    std::string QueryText(const char* name, DWORD capacity = MAX_PATH) const;
    // Stores a REG_SZ value; the stored size counts the terminating NUL.
    LONG SetText(const char* name, const std::string& text) const;
    // Stores a REG_DWORD value.
    LONG SetDword(const char* name, DWORD value) const {
        return RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value);
    }

    HKEY m_hKey = nullptr;

private:
    void Reset(HKEY key) {
        if (m_hKey)
            RegCloseKey(m_hKey);
        m_hKey = key;
    }
};
