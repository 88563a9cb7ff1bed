#include "registry_records.h"

#include "registry.h"

namespace {
std::string ReadText(HKEY root, const char* keyPath, const char* valueName) {
    RegKey key;
    if (key.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS)
        return {};
    return key.QueryText(valueName, kRegistryTextBuffer);
}
} // namespace

std::string ReadMachineText(const char* keyPath, const char* valueName) {
    return ReadText(HKEY_LOCAL_MACHINE, keyPath, valueName);
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
    record.installedPath = key.QueryText("Path", kRegistryTextBuffer);
    return record;
}

void WriteAppRecord(const char* keyPath, const std::string& installPath) {
    RegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    key.SetText("CommandLine", "");
    key.SetText("CurrentDirectory", installPath);
    key.SetText("File", kGameFile);
    key.SetText("Guid", kGameGuid);
    key.SetText("Path", installPath);
}

std::string ReadProgramsFolder() {
    return ReadText(HKEY_CURRENT_USER, kShellFoldersKey, "Programs");
}

void DeleteAppRecords() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDirectPlayKey);
}
