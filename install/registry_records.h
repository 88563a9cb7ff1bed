#pragma once
// The registry values the program keeps and reads: the product record, the Windows directory.

#include <string>

constexpr const char* kProductKey = "Software\\Tarn\\HexbreakerDemo";
constexpr const char* kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// The text of a REG_SZ value under HKEY_LOCAL_MACHINE; empty when the key or value cannot be read.
std::string ReadMachineText(const char* keyPath, const char* valueName);

// The Windows directory: the "SystemRoot" value, or, where the system keeps none (NT-family
// Windows), the directory the system reports.
std::string ReadSystemRoot();

struct ProductRecord {
    bool installed = false;    // the product key exists
    std::string installedPath; // its "Path" value; empty when it cannot be read
};
ProductRecord ReadProductRecord();
