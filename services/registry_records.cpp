#include "registry_records.h"

#include "paths.h"
#include "product.h"
#include "registry.h"
#include "version_info.h"

#include <cstdio>

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

DWORD EstimatedSizeKiB(std::uint64_t bytes) {
    const std::uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kib);
}

std::string InstallDateText(const SYSTEMTIME& date) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%04u%02u%02u", date.wYear, date.wMonth, date.wDay);
    return text;
}

void WriteUninstallEntry(const std::string& installDir, const std::string& systemRoot,
                         std::uint64_t bytesWritten) {
    RegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kUninstallEntryKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    SYSTEMTIME today{};
    GetLocalTime(&today);
    key.SetText("DisplayName", kProductFolder);
    // The shell runs this command line: the path may hold blanks.
    key.SetText("UninstallString", "\"" + JoinPath(systemRoot, kUninstallerFile) + "\"");
    key.SetText("DisplayIcon", JoinPath(installDir, kGameFile) + ",0");
    key.SetText("InstallLocation", installDir);
    key.SetText("Publisher", OwnVersionText("CompanyName"));
    key.SetText("DisplayVersion", OwnVersionText("ProductVersion"));
    key.SetDword("EstimatedSize", EstimatedSizeKiB(bytesWritten));
    key.SetDword("NoModify", 1);
    key.SetDword("NoRepair", 1);
    key.SetText("InstallDate", InstallDateText(today));
}

void DeleteUninstallEntry() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallEntryKey);
}

void DeleteAppRecords() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDirectPlayKey);
    DeleteUninstallEntry();
}
