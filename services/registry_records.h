#pragma once
// The registry values the program keeps and reads: the product record and the DirectPlay
// application record it writes at install and deletes at removal, the Windows directory and the
// user's Start-menu Programs folder.

#include <string>

constexpr const char* kProductKey = "Software\\Tarn\\HexbreakerDemo";
constexpr const char* kDirectPlayKey = "Software\\Microsoft\\DirectPlay\\Applications\\HexbreakerDemo";
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

// Deletes the product record, then the DirectPlay record; "Software\Tarn" stays.
void DeleteAppRecords();
