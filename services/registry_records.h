#pragma once
// The registry values the program keeps and reads: the product record, the DirectPlay
// application record and the entry of the system's list of installed programs, which it writes at
// install and deletes at removal, the Windows directory and the user's Start-menu Programs folder.

#include <windows.h>

#include <cstdint>
#include <string>

constexpr const char* kProductKey = "Software\\Tarn\\HexbreakerDemo";
constexpr const char* kDirectPlayKey = "Software\\Microsoft\\DirectPlay\\Applications\\HexbreakerDemo";
// The entry Windows lists among installed programs (Programs and Features, Add or Remove Programs),
// in the program's own registry view.
constexpr const char* kUninstallEntryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HexbreakerDemo";
constexpr const char* kUninstallerFile = "hxduninst.exe";
constexpr const char* kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The game's DirectPlay application GUID, the same in both records.
constexpr const char* kGameGuid = "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}";
constexpr const char* kGameFile = "Hxdemo.exe";
// Registry texts are read into a buffer of this many bytes, the NUL included.
constexpr unsigned kRegistryTextBuffer = 128;

// The text of a REG_SZ value under HKEY_LOCAL_MACHINE; empty when the key or value cannot be read
// or is longer than the read buffer.
std::string ReadMachineText(const char* keyPath, const char* valueName);

// The Windows directory: the "SystemRoot" value, or, where the system keeps none (NT-family
// Windows), the directory the system reports.
std::string ReadSystemRoot();

struct ProductRecord {
    bool installed = false;    // the product key exists
    std::string installedPath; // its "Path" value; empty when it cannot be read
};
ProductRecord ReadProductRecord();

// Writes one application record under HKEY_LOCAL_MACHINE `keyPath`: "CommandLine" (empty),
// "CurrentDirectory", "File", "Guid" and "Path", in that order. A key that cannot be created is
// skipped without a word; other values of the key are left alone.
void WriteAppRecord(const char* keyPath, const std::string& installPath);

// The current user's Start-menu Programs folder; empty when the value is missing, empty or
// longer than the read buffer.
std::string ReadProgramsFolder();

// The size an install's files take, as the list of installed programs shows it: `bytes` in KiB,
// rounded up, at most the largest REG_DWORD.
DWORD EstimatedSizeKiB(std::uint64_t bytes);

// A date as the list of installed programs takes it: "YYYYMMDD".
std::string InstallDateText(const SYSTEMTIME& date);

// Writes the entry of the list of installed programs under HKEY_LOCAL_MACHINE for an install into
// `installDir` whose files took `bytesWritten`, with the uninstaller in `systemRoot`: "DisplayName",
// "UninstallString" (the uninstaller's path quoted), "DisplayIcon", "InstallLocation", "Publisher" and
// "DisplayVersion" (from the program's version resource), "EstimatedSize", "NoModify", "NoRepair"
// and "InstallDate" (today, local). A key that cannot be created is skipped without a word.
void WriteUninstallEntry(const std::string& installDir, const std::string& systemRoot,
                         std::uint64_t bytesWritten);

// Deletes the entry of the list of installed programs.
void DeleteUninstallEntry();

// Deletes the product record, the DirectPlay record and the entry of the list of installed
// programs; "Software\Tarn" stays.
void DeleteAppRecords();
