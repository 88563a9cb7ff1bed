// The install's system records under Wine: the application records in the registry, the Programs
// folder read back, the program look-up, and shortcut names refused.
#include "program_start.h"
#include "registry.h"
#include "registry_records.h"
#include "shortcuts.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace {
constexpr const char* kTestRoot = "Software\\HxInstallRecordsTest";
constexpr const char* kRecordKey = "Software\\HxInstallRecordsTest\\Record";

struct StoredValue {
    std::string name;
    DWORD type = 0;
    DWORD size = 0;
    std::string text;
};

// Every value of a key in the order the registry keeps them, as stored.
std::vector<StoredValue> StoredValues(HKEY root, const char* keyPath) {
    std::vector<StoredValue> values;
    RegKey key;
    if (key.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        BYTE data[512] = {};
        DWORD nameLength = sizeof name;
        DWORD size = sizeof data;
        StoredValue value;
        if (RegEnumValueA(key.m_hKey, index, name, &nameLength, nullptr, &value.type, data, &size) !=
            ERROR_SUCCESS)
            break;
        value.name = name;
        value.size = size;
        value.text = std::string(reinterpret_cast<const char*>(data));
        values.push_back(value);
    }
    return values;
}

void DeleteTestKeys() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\HxInstallRecordsTest\\Volatile\\Record");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\HxInstallRecordsTest\\Volatile");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRecordKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestRoot);
}

class AppRecord : public testing::Test {
protected:
    void SetUp() override { DeleteTestKeys(); }
    void TearDown() override { DeleteTestKeys(); }
};

TEST_F(AppRecord, FiveTextValuesInOrderEachStoredWithItsNul) {
    WriteAppRecord(kRecordKey, "C:\\Program Files\\HexbreakerDemo");
    const std::vector<StoredValue> values = StoredValues(HKEY_LOCAL_MACHINE, kRecordKey);
    const std::vector<StoredValue> expected = {
        {"CommandLine", REG_SZ, 1, ""},
        {"CurrentDirectory", REG_SZ, 32, "C:\\Program Files\\HexbreakerDemo"},
        {"File", REG_SZ, 11, "Hxdemo.exe"},
        {"Guid", REG_SZ, 39, kGameGuid},
        {"Path", REG_SZ, 32, "C:\\Program Files\\HexbreakerDemo"},
    };
    ASSERT_EQ(values.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(values[i].name, expected[i].name);
        EXPECT_EQ(values[i].type, expected[i].type);
        EXPECT_EQ(values[i].size, expected[i].size);
        EXPECT_EQ(values[i].text, expected[i].text);
    }
}

TEST_F(AppRecord, KeyThatCannotBeCreatedIsSkippedWithoutAMessage) {
    // A volatile key takes no persistent subkey: creating the record under it fails.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\HxInstallRecordsTest\\Volatile", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);

    auto box = uitest::AnswerNextMessageBox(IDOK, std::chrono::seconds(2));
    WriteAppRecord("Software\\HxInstallRecordsTest\\Volatile\\Record", "C:\\HexbreakerDemo");
    EXPECT_FALSE(box.get().shown);
    RegKey key;
    EXPECT_NE(key.Open(HKEY_LOCAL_MACHINE, "Software\\HxInstallRecordsTest\\Volatile\\Record", KEY_READ),
              ERROR_SUCCESS);
}

// ---- the Programs folder ----

class ProgramsFolder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_key.Create(HKEY_CURRENT_USER, kShellFoldersKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        m_saved = m_key.QueryText("Programs");
    }
    void TearDown() override {
        if (m_saved.empty())
            RegDeleteValueA(m_key.m_hKey, "Programs");
        else
            m_key.SetText("Programs", m_saved);
    }
    RegKey m_key;
    std::string m_saved;
};

TEST_F(ProgramsFolder, ReadWholeUpToTheBufferElseEmpty) {
    const std::string exactFit = "C:\\" + std::string(kRegistryTextBuffer - 1 - 3, 'p');
    ASSERT_EQ(exactFit.size(), 127u);
    const struct {
        const char* name;
        bool present;
        std::string stored;
        std::string expected;
    } cases[] = {
        {"missing", false, "", ""},
        {"empty", true, "", ""},
        {"ordinary", true, "C:\\users\\me\\Start Menu\\Programs", "C:\\users\\me\\Start Menu\\Programs"},
        {"exact fit", true, exactFit, exactFit},
        {"one too long", true, exactFit + "q", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.present)
            m_key.SetText("Programs", c.stored);
        else
            RegDeleteValueA(m_key.m_hKey, "Programs");
        EXPECT_EQ(ReadProgramsFolder(), c.expected);
    }
}

// ---- program look-up ----

TEST(ProgramLookup, CurrentDirectoryFirstThenPathInOrder) {
    const std::set<std::string> files = {"C:\\cd\\notepad.exe", "C:\\windows\\notepad.exe",
                                         "C:\\windows\\explorer.exe", "C:\\tools\\readme.txt"};
    const auto isFile = [&files](const std::string& path) { return files.count(path) > 0; };
    const std::string path = "C:\\windows\\system32;;C:\\windows;C:\\tools\\";
    const struct {
        const char* name;
        const char* currentDir;
        const char* expected;
    } cases[] = {
        {"notepad", "C:\\cd", "C:\\cd\\notepad.exe"},
        {"notepad", "C:\\", "C:\\windows\\notepad.exe"},
        {"explorer", "C:\\cd", "C:\\windows\\explorer.exe"},
        {"readme.txt", "C:\\cd", "C:\\tools\\readme.txt"},
        {"hxdemo", "C:\\cd", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " from " + c.currentDir);
        EXPECT_EQ(FindProgram(c.name, c.currentDir, path, isFile), c.expected);
    }
}

// ---- shortcuts (their contents are read back by the end-to-end install) ----

TEST(Shortcut, NameTooLongForTheBufferIsRefused) {
    const std::string longName = "C:\\" + std::string(MAX_PATH, 'n') + ".lnk";
    EXPECT_NE(CreateShortcut("C:\\x.exe", longName.c_str(), "x", "C:\\"), S_OK);
}
} // namespace
