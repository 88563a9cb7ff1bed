// DeleteTree on real folders: the order that decides what an undeletable file leaves behind, and
// links it must never follow. Whole removals run end to end.
#include "file.h"
#include "main_dlg.h"
#include "pack_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {
constexpr const char* kTree = "HexbreakerDemo";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a host program in the current directory (Wine starts Unix programs too; it makes no links
// itself) and waits until `path` exists, or no longer does.
void RunHost(std::string commandLine, const std::string& path, bool wanted) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 200 && Exists(path) != wanted; ++i)
        Sleep(25);
    ASSERT_EQ(Exists(path), wanted) << commandLine;
}

class DeleteTreeTest : public testing::Test {
protected:
    void SetUp() override {
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(m_base.c_str(), nullptr) &&
                    CreateDirectoryA(Path("").c_str(), nullptr) &&
                    CreateDirectoryA(Outside("").c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(m_base.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        if (Exists(m_base)) // an rm of nothing would still be running when SetUp makes it again
            RunHost("/bin/rm -rf hx_delete_tree", m_base, false);
    }

    std::string Path(const std::string& inTree) const {
        return m_base + "\\" + kTree + (inTree.empty() ? "" : "\\" + inTree);
    }
    std::string Outside(const std::string& name) const { return m_base + "\\outside\\" + name; }
    static void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        hx::fixture::writeFile(path, std::vector<std::uint8_t>(path.begin(), path.end()));
        SetFileAttributesA(path.c_str(), attributes);
    }
    // A link in the tree to a place in "outside", both named with '/'.
    void MakeLink(const std::string& inTree, const std::string& target) const {
        const std::string link = kTree + (inTree.empty() ? "" : "/" + inTree);
        RunHost("/bin/ln -sr outside/" + target + " " + link, Path(inTree), true);
    }
    // Runs DeleteTree and returns the wording of the file error it raised, if any.
    static std::string DeleteTreeReporting() {
        try {
            CSetupMainDlg().DeleteTree(kTree);
        } catch (const CFileException& error) {
            return error.GetErrorMessage();
        }
        return {};
    }

    const std::string m_base = "C:\\hx_delete_tree";
};

// An undeletable file ends the removal: every sub-folder has gone before the folder's first file
// (sub-folders go while the folder is enumerated), then the files go in the order found up to it.
// Dot-named folders are skipped.
TEST_F(DeleteTreeTest, UndeletableFileStopsTheRemovalThere) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "held open");
        SetUp();
        for (const char* folder : {"Multi", "zeta", ".cache"})
            ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), nullptr));
        for (const char* name : {"a.txt", "m.txt", "z.txt", "Multi\\canyon.mfd", "zeta\\hum6.bmp"})
            MakeFile(Path(name));
        MakeFile(Path("k.dat"), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        CFile held;
        ASSERT_TRUE(readOnly || held.Open(Path("k.dat").c_str(), CFile::modeRead | CFile::shareDenyWrite));

        std::vector<std::string> files; // in the order the platform enumerates them
        for (const auto& entry : std::filesystem::directory_iterator(Path("")))
            if (entry.is_regular_file())
                files.push_back(entry.path().filename().string());
        const auto at = std::find(files.begin(), files.end(), "k.dat");
        ASSERT_NE(at, files.end());

        EXPECT_EQ(DeleteTreeReporting(),
                  readOnly ? "Access to an unnamed file was denied."
                           : "A sharing violation occurred while accessing an unnamed file.");
        held.Abort();
        EXPECT_FALSE(Exists(Path("Multi")) || Exists(Path("zeta")));
        EXPECT_TRUE(Exists(Path(".cache")));
        for (auto file = files.begin(); file != files.end(); ++file)
            EXPECT_EQ(Exists(Path(*file)), file >= at) << *file;
    }
}

TEST_F(DeleteTreeTest, NeverFollowsALinkNorRemovesTheTargetOfTheFolderItself) {
    for (const char* folder : {"full", "empty"})
        CreateDirectoryA(Outside(folder).c_str(), nullptr);
    CreateDirectoryA(Path("Multi").c_str(), nullptr);
    for (const std::string& file :
         {Outside("full\\canary.txt"), Outside("saved.txt"), Path("Multi\\canyon.mfd")})
        MakeFile(file);
    for (const auto& [link, target] :
         {std::pair{"Multi/to-full", "full"}, {"to-empty", "empty"}, {"to-file.txt", "saved.txt"}})
        MakeLink(link, target);

    EXPECT_EQ(DeleteTreeReporting(), "");
    EXPECT_TRUE(Exists(Outside("full\\canary.txt")) && Exists(Outside("empty")) &&
                Exists(Outside("saved.txt")));
    EXPECT_FALSE(Exists(Path("Multi\\canyon.mfd")));
    // A link the platform cannot remove by itself stays, and so do the folders holding it.
    EXPECT_EQ(Exists(Path("Multi")), Exists(Path("Multi\\to-full")));
    EXPECT_EQ(Exists(Path("")),
              Exists(Path("to-empty")) || Exists(Path("Multi")) || Exists(Path("to-file.txt")));

    // The platform may remove an empty target in place of the link: it must not be asked to.
    SetUp();
    CreateDirectoryA(Outside("game").c_str(), nullptr);
    RemoveDirectoryA(Path("").c_str());
    MakeLink("", "game");
    EXPECT_EQ(DeleteTreeReporting(), "");
    EXPECT_TRUE(Exists(Outside("game")));
}
} // namespace
