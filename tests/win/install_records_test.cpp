// The install's system records under Wine: the application records in the registry, the Programs
// folder read back, and shortcut files written and read through the shell's link object.
#include "program_start.h"
#include "registry.h"
#include "registry_records.h"
#include "shortcuts.h"
#include "ui_helpers.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

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

TEST_F(AppRecord, SecondWriteReplacesTheValuesAndLeavesOthersAlone) {
    {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kRecordKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        key.SetText("Lobby", "kept");
        key.SetText("Path", "X:\\stale");
    }
    WriteAppRecord(kRecordKey, "C:\\HexbreakerDemo");
    WriteAppRecord(kRecordKey, "E:\\Games\\HexbreakerDemo");

    const std::vector<StoredValue> values = StoredValues(HKEY_LOCAL_MACHINE, kRecordKey);
    EXPECT_EQ(values.size(), 6u);
    RegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kRecordKey, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(key.QueryText("Lobby"), "kept");
    EXPECT_EQ(key.QueryText("Path"), "E:\\Games\\HexbreakerDemo");
    EXPECT_EQ(key.QueryText("CurrentDirectory"), "E:\\Games\\HexbreakerDemo");
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

// ---- shortcuts ----

struct LinkFields {
    std::string target;
    std::string description;
    std::string workingDir;
};

// Reads a link file back through the shell's link object.
LinkFields ReadLink(const std::string& file) {
    LinkFields fields;
    const HRESULT initialised = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            WCHAR wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = {};
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                fields.target = text;
                link->GetDescription(text, MAX_PATH);
                fields.description = text;
                link->GetWorkingDirectory(text, MAX_PATH);
                fields.workingDir = text;
            }
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return fields;
}

class Shortcut : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "hx shortcut test";
        CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& file : m_files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }
    std::string LinkPath(const char* name) {
        m_files.push_back(m_folder + "\\" + name);
        return m_files.back();
    }
    std::string m_folder;
    std::vector<std::string> m_files;
};

TEST_F(Shortcut, CallsInARowWriteEachLinkWithoutAComplaint) {
    auto box = uitest::AnswerNextMessageBox(IDOK, std::chrono::seconds(3));
    const auto shortcuts = GroupShortcuts("C:\\Program Files\\HexbreakerDemo", "C:\\windows");
    for (const ShortcutSpec& shortcut : shortcuts)
        EXPECT_EQ(CreateShortcut(shortcut.target.c_str(), LinkPath(shortcut.linkFile.c_str()).c_str(),
                                 shortcut.description.c_str(), shortcut.workingDir.c_str()),
                  S_OK);
    EXPECT_FALSE(box.get().shown) << "a message box appeared";

    for (size_t i = 0; i < shortcuts.size(); ++i) {
        SCOPED_TRACE(shortcuts[i].linkFile);
        const LinkFields read = ReadLink(m_files[i]);
        EXPECT_EQ(read.target, shortcuts[i].target);
        EXPECT_EQ(read.description, shortcuts[i].description);
        EXPECT_EQ(read.workingDir, shortcuts[i].workingDir);
    }
}

TEST_F(Shortcut, RelativeNameLandsInTheCurrentFolderAndReplacesTheOldLink) {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(m_folder.c_str()));
    const std::string path = LinkPath("Readme.lnk");
    EXPECT_EQ(CreateShortcut("C:\\old\\readme.txt", "Readme.lnk", "old", "C:\\old"), S_OK);
    EXPECT_EQ(CreateShortcut("D:\\new\\readme.txt", "Readme.lnk", "HexbreakerDemo readme", "D:\\new"), S_OK);
    SetCurrentDirectoryA(previous);

    const LinkFields read = ReadLink(path);
    EXPECT_EQ(read.target, "D:\\new\\readme.txt");
    EXPECT_EQ(read.description, "HexbreakerDemo readme");
    EXPECT_EQ(read.workingDir, "D:\\new");
}

TEST_F(Shortcut, NameTooLongForTheBufferIsRefused) {
    const std::string longName = m_folder + "\\" + std::string(MAX_PATH, 'n') + ".lnk";
    EXPECT_NE(CreateShortcut("C:\\x.exe", longName.c_str(), "x", "C:\\"), S_OK);
}
} // namespace
