// The install's system records under Wine: application records, the Programs folder, the program look-up.
#include "program_start.h"
#include "registry.h"
#include "registry_records.h"
#include "ui_helpers.h"
#include "version_info.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <tuple>

namespace {
constexpr const char* kRecordKey = "Software\\HxRecordTest";
constexpr const char* kVolatileKey = "Software\\HxVolatileTest";
constexpr const char* kUnderVolatileKey = "Software\\HxVolatileTest\\Record";

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

class AppRecord : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (const char* key : {kUnderVolatileKey, kVolatileKey, kRecordKey})
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    }
};

TEST_F(AppRecord, FiveTextValuesInOrderEachStoredWithItsNul) {
    WriteAppRecord(kRecordKey, "C:\\Program Files\\HexbreakerDemo");
    static_assert(REG_SZ == 1);
    EXPECT_EQ(StoredValues(kRecordKey),
              (std::vector<std::string>{"CommandLine 1 1 ",
                                        "CurrentDirectory 1 32 C:\\Program Files\\HexbreakerDemo",
                                        "File 1 11 Hxdemo.exe", std::string("Guid 1 39 ") + kGameGuid,
                                        "Path 1 32 C:\\Program Files\\HexbreakerDemo"}));
}

TEST_F(AppRecord, KeyThatCannotBeCreatedIsSkippedWithoutAMessage) {
    // A volatile key takes no persistent subkey: creating the record under it fails.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVolatileKey, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    uitest::User user;
    WriteAppRecord(kUnderVolatileKey, "C:\\HexbreakerDemo");
    EXPECT_EQ(user.boxes, std::vector<std::string>{});
    EXPECT_EQ(StoredValues(kUnderVolatileKey), std::vector<std::string>{});
}

// KiB rounded up; beyond what a REG_DWORD holds, its largest value.
TEST(UninstallEntry, EstimatedSizeInKiBRoundedUpAndClamped) {
    constexpr std::uint64_t kGiB = 1u << 30;
    const std::pair<std::uint64_t, DWORD> sizes[] = {{0, 0},
                                                     {1, 1},
                                                     {1024, 1},
                                                     {1025, 2},
                                                     {5 * kGiB + 1, 5 * 1024 * 1024 + 1},
                                                     {4096 * kGiB - 2048, MAXDWORD - 1},
                                                     {4096 * kGiB - 1025, MAXDWORD},
                                                     {4096 * kGiB, MAXDWORD},
                                                     {~std::uint64_t(0), MAXDWORD}};
    for (const auto& [bytes, kib] : sizes)
        EXPECT_EQ(EstimatedSizeKiB(bytes), kib) << bytes;
}

TEST(UninstallEntry, InstallDateIsYearMonthDayInEightDigits) {
    SYSTEMTIME date{};
    for (const auto& [year, month, day, text] :
         {std::tuple{2026, 12, 8, "20261208"}, {1999, 1, 31, "19990131"}}) {
        date.wYear = static_cast<WORD>(year), date.wMonth = static_cast<WORD>(month),
        date.wDay = static_cast<WORD>(day);
        EXPECT_EQ(InstallDateText(date), text);
    }
}

// This program carries the programs' version resource: its texts are read from the resource's bytes,
// and damaged bytes give nothing.
TEST(VersionTexts, ReadFromTheOwnResourceNothingFromDamagedBytes) {
    EXPECT_EQ(OwnVersionText("CompanyName"), "Tarn");
    EXPECT_EQ(OwnVersionText("ProductVersion"), "1.0.0.0");
    EXPECT_EQ(OwnVersionText("ProductName"), "HexbreakerDemo");
    EXPECT_EQ(OwnVersionText("Company"), "");
    const HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(resource, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    std::vector<std::uint8_t> copy(bytes, bytes + SizeofResource(nullptr, resource));
    EXPECT_EQ(FindVersionText(copy.data(), copy.size() - 1, "CompanyName"), "");
    EXPECT_EQ(FindVersionText(copy.data(), 5, "CompanyName"), "");
    copy[0] = copy[1] = 0xff; // the whole resource longer than its bytes
    EXPECT_EQ(FindVersionText(copy.data(), copy.size(), "CompanyName"), "");
}

TEST(ProgramsFolder, ReadWholeUpToTheBufferElseEmpty) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kShellFoldersKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const std::string saved = key.QueryText("Programs");
    const std::string exactFit = "C:\\" + std::string(124, 'p'); // 127 characters and the NUL
    for (const auto& [stored, read] : {std::pair{exactFit, exactFit}, {exactFit + "q", ""}, {"", ""}}) {
        stored.empty() ? void(RegDeleteValueA(key.m_hKey, "Programs"))
                       : void(key.SetText("Programs", stored));
        EXPECT_EQ(ReadProgramsFolder(), read) << stored.size() << " characters";
    }
    key.SetText("Programs", saved);
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
