#include "registry_records.h"

#include "registry.h"

std::string ReadMachineText(const char* keyPath, const char* valueName) {
    RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS)
        return {};
    return key.QueryText(valueName);
}

std::string ReadSystemRoot() {
    std::string root = ReadMachineText(kWindowsVersionKey, "SystemRoot");
    if (!root.empty())
        return root;
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(windows, length) : std::string();
}

ProductRecord ReadProductRecord() {
    ProductRecord record;
    RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_READ) != ERROR_SUCCESS)
        return record;
    record.installed = true;
    record.installedPath = key.QueryText("Path");
    return record;
}
