// DeleteTree on real folders: what goes, what stays, the order that decides what an undeletable
// file leaves behind, and links it must never follow.
#include "file.h"
#include "main_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr const char* kTree = "HexbreakerDemo";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitFor(bool wanted, const std::string& path) {
    for (int i = 0; i < 200 && Exists(path) != wanted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return Exists(path) == wanted;
}

std::string UnixPath(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    const std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unixPath = toUnix(wide.c_str());
    const std::string result = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Runs a host program (Wine starts Unix programs too); its effect is awaited by the caller.
void RunHost(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << commandLine;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) << path;
    file.Write(path.data(), static_cast<UINT>(path.size()));
    file.Close();
    SetFileAttributesA(path.c_str(), attributes);
}

// The entries of a folder in the order the platform enumerates them.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

class DeleteTreeTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_base = std::string(temp) + "hx_delete_tree";
        RemoveBase();
        ASSERT_TRUE(CreateDirectoryA(m_base.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Path("").c_str(), nullptr));
        CreateDirectoryA(Outside("").c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, m_savedDir);
        SetCurrentDirectoryA(m_base.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(m_savedDir);
        RemoveBase();
    }

    std::string Path(const std::string& inTree) const {
        return m_base + "\\" + kTree + (inTree.empty() ? "" : "\\" + inTree);
    }
    std::string Outside(const std::string& name) const {
        return m_base + "\\outside" + (name.empty() ? "" : "\\" + name);
    }
    void MakeFolders(std::initializer_list<const char*> names) const {
        for (const char* name : names)
            ASSERT_TRUE(CreateDirectoryA(Path(name).c_str(), nullptr)) << name;
    }
    void MakeLink(const std::string& link, const std::string& target) const {
        RunHost("/bin/ln -s \"" + UnixPath(target) + "\" \"" + UnixPath(link) + "\"");
        ASSERT_TRUE(WaitFor(true, link)) << link;
    }
    // Runs DeleteTree and returns the wording of the file error it raised, if any.
    std::string DeleteTreeReporting() {
        CSetupMainDlg mainWindow;
        try {
            mainWindow.DeleteTree(kTree);
        } catch (const CFileException& error) {
            return error.GetErrorMessage();
        }
        return {};
    }

    std::string m_base;
    char m_savedDir[MAX_PATH] = {};

private:
    void RemoveBase() const {
        if (!Exists(m_base))
            return;
        RunHost("/bin/rm -rf \"" + UnixPath(m_base) + "\"");
        ASSERT_TRUE(WaitFor(false, m_base));
    }
};

// Everything goes but dot-named folders (skipped) and the folders holding them.
TEST_F(DeleteTreeTest, RemovesAllButDotNamedFolders) {
    MakeFolders({"Multi", "Multi\\maps", "Multi\\maps\\old", "Multi\\.git", "Profiles", "Empty", ".cache"});
    for (const char* name :
         {"hxdemo.exe", ".settings", "Multi\\canyon.mfd", ".cache\\kept.txt", "Multi\\.git\\kept.txt"})
        MakeFile(Path(name));
    MakeFile(Path("Multi\\maps\\old\\harbor.mfd"), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(Path("Profiles\\hum6.bmp"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    EXPECT_EQ(DeleteTreeReporting(), "");
    auto remaining = Entries(Path(""));
    std::sort(remaining.begin(), remaining.end());
    EXPECT_EQ(remaining, (std::vector<std::string>{".cache", "Multi"}));
    EXPECT_EQ(Entries(Path("Multi")), std::vector<std::string>{".git"});
    EXPECT_TRUE(Exists(Path(".cache\\kept.txt")));
    EXPECT_TRUE(Exists(Path("Multi\\.git\\kept.txt")));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, m_base.c_str()) << "back where it started";
}

// An undeletable file ends the removal: every sub-folder has gone before the folder's first file
// (sub-folders go while the folder is enumerated), then the files go in the order found up to it.
TEST_F(DeleteTreeTest, UndeletableFileStopsTheRemovalThere) {
    const struct {
        const char* name;
        bool readOnly;
        const char* wording;
    } blockers[] = {
        {"read-only", true, "Access to an unnamed file was denied."},
        {"held open", false, "A sharing violation occurred while accessing an unnamed file."},
    };
    for (const auto& blocker : blockers) {
        SCOPED_TRACE(blocker.name);
        TearDown();
        SetUp();
        MakeFolders({"Multi", "Profiles", "zeta"});
        for (const char* name : {"a.txt", "m.txt", "z.txt", "Multi\\canyon.mfd", "zeta\\hum6.bmp"})
            MakeFile(Path(name));
        MakeFile(Path("k.dat"), blocker.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        CFile held;
        if (!blocker.readOnly) {
            ASSERT_TRUE(held.Open(Path("k.dat").c_str(), CFile::modeRead | CFile::shareDenyWrite));
        }

        std::vector<std::string> filesInOrder;
        for (const std::string& name : Entries(Path("")))
            if (!(GetFileAttributesA(Path(name).c_str()) & FILE_ATTRIBUTE_DIRECTORY))
                filesInOrder.push_back(name);
        const auto at = std::find(filesInOrder.begin(), filesInOrder.end(), "k.dat");
        ASSERT_NE(at, filesInOrder.end());

        EXPECT_EQ(DeleteTreeReporting(), blocker.wording);
        held.Abort();
        for (const char* folder : {"Multi", "Profiles", "zeta"})
            EXPECT_FALSE(Exists(Path(folder))) << folder;
        for (auto file = filesInOrder.begin(); file != filesInOrder.end(); ++file)
            EXPECT_EQ(Exists(Path(*file)), file >= at) << *file;
        SetFileAttributesA(Path("k.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(DeleteTreeTest, NeverFollowsALink) {
    CreateDirectoryA(Outside("full").c_str(), nullptr);
    CreateDirectoryA(Outside("empty").c_str(), nullptr);
    MakeFile(Outside("full\\canary.txt"));
    MakeFolders({"Multi"});
    MakeFile(Path("Multi\\canyon.mfd"));
    MakeLink(Path("Multi\\to-full"), Outside("full"));
    MakeLink(Path("to-empty"), Outside("empty"));
    MakeFile(Outside("saved.txt"));
    MakeLink(Path("to-file.txt"), Outside("saved.txt"));

    EXPECT_EQ(DeleteTreeReporting(), "");
    EXPECT_TRUE(Exists(Outside("full\\canary.txt")));
    EXPECT_TRUE(Exists(Outside("empty")));
    EXPECT_TRUE(Exists(Outside("saved.txt")));
    EXPECT_FALSE(Exists(Path("Multi\\canyon.mfd")));
    // A link the platform cannot remove by itself stays, and so do the folders holding it.
    EXPECT_EQ(Exists(Path("Multi")), Exists(Path("Multi\\to-full")));
    EXPECT_EQ(Exists(Path("")),
              Exists(Path("to-empty")) || Exists(Path("Multi")) || Exists(Path("to-file.txt")));
}

// The platform may remove an empty target in place of the link: it must not be asked to.
TEST_F(DeleteTreeTest, TheFolderItselfBeingALinkLeavesItsEmptyTarget) {
    CreateDirectoryA(Outside("game").c_str(), nullptr);
    RemoveDirectoryA(Path("").c_str());
    MakeLink(Path(""), Outside("game"));

    EXPECT_EQ(DeleteTreeReporting(), "");
    EXPECT_TRUE(Exists(Outside("game")));
}
} // namespace
