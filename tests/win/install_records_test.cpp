// The install's system records under Wine: application records, the uninstall entry's figures, the
// program look-up.
#include "program_start.h"
#include "registry.h"
#include "registry_records.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {
constexpr const char* kRecordKey = "Software\\HxRecordTest";

// Every value of a key in the order the registry keeps them, as "name type size text".
std::vector<std::string> StoredValues(const char* keyPath) {
    std::vector<std::string> values;
    RegKey key;
    key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ);
    for (DWORD index = 0;; ++index) {
        char name[256] = {}, data[512] = {};
        DWORD nameLength = sizeof name, type = 0, size = sizeof data;
        if (RegEnumValueA(key.m_hKey, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &size) != ERROR_SUCCESS)
            return values;
        values.push_back(std::string(name) + " " + std::to_string(type) + " " + std::to_string(size) + " " +
                         data);
    }
}

TEST(AppRecord, FiveTextValuesInOrderEachStoredWithItsNul) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
    WriteAppRecord(kRecordKey, "C:\\Program Files\\HexbreakerDemo");
    static_assert(REG_SZ == 1);
    EXPECT_EQ(StoredValues(kRecordKey),
              (std::vector<std::string>{"CommandLine 1 1 ",
                                        "CurrentDirectory 1 32 C:\\Program Files\\HexbreakerDemo",
                                        "File 1 11 Hxdemo.exe", std::string("Guid 1 39 ") + kGameGuid,
                                        "Path 1 32 C:\\Program Files\\HexbreakerDemo"}));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
}

// KiB rounded up; beyond what a REG_DWORD holds, its largest value. (The size of a real install, and
// the version texts and today's date in the entry, are read back end to end.)
TEST(UninstallEntry, EstimatedSizeClampedAndInstallDateInEightDigits) {
    constexpr std::uint64_t kGiB = 1u << 30;
    const std::pair<std::uint64_t, DWORD> sizes[] = {{1024, 1},
                                                     {1025, 2},
                                                     {4096 * kGiB - 2048, MAXDWORD - 1},
                                                     {4096 * kGiB - 1025, MAXDWORD},
                                                     {~0ull, MAXDWORD}};
    for (const auto& [bytes, kib] : sizes)
        EXPECT_EQ(EstimatedSizeKiB(bytes), kib) << bytes;
    SYSTEMTIME date{};
    date.wYear = 1999, date.wMonth = 1, date.wDay = 8;
    EXPECT_EQ(InstallDateText(date), "19990108");
}

TEST(ProgramLookup, CurrentDirectoryFirstThenPathInOrder) {
    const std::set<std::string> files = {"C:\\cd\\notepad.exe", "C:\\windows\\notepad.exe",
                                         "C:\\windows\\system32\\explorer.exe", "C:\\windows\\explorer.exe",
                                         "C:\\tools\\readme.txt"};
    const auto isFile = [&files](const std::string& path) { return files.count(path) > 0; };
    const std::string path = "C:\\windows\\system32;;C:\\windows;C:\\tools\\";
    const std::array<const char*, 3> cases[] = {
        // name, current directory, what is found
        {"notepad", "C:\\cd", "C:\\cd\\notepad.exe"},
        {"notepad", "C:\\", "C:\\windows\\notepad.exe"},
        {"explorer", "C:\\cd", "C:\\windows\\system32\\explorer.exe"},
        {"readme.txt", "C:\\cd", "C:\\tools\\readme.txt"},
        {"hxdemo", "C:\\cd", ""},
    };
    for (const auto& [name, currentDir, found] : cases)
        EXPECT_EQ(FindProgram(name, currentDir, path, isFile), found) << name << " from " << currentDir;
}

} // namespace
