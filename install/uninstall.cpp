// The Uninstall operation: the install folder, the program group and both records.
#include "app.h"
#include "file.h"
#include "main_dlg.h"
#include "product.h"
#include "registry_records.h"

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {
constexpr const char* kConfirmUninstall = "Are you sure to uninstall HexbreakerDemo?";
constexpr const char* kInstallDirGone =
    "Unable to uninstall because of installed directory was moved or deleted.";
constexpr const char* kUninstallDone = "Uninstall completed.";

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// A junction or symbolic link. Removal never enters one: its target lies outside the tree.
bool IsLink(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether opening `name` without following it reaches the link itself. Some platforms open the
// target instead, and then also remove the target (when empty) in place of the link.
bool OpensAsLink(const char* name) {
    const HANDLE opened = CreateFileA(
        name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const UniqueHandle closer(opened);
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(opened, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a folder link itself, never its target; where that cannot be told apart, the link stays.
void RemoveFolderLink(const char* name) {
    if (OpensAsLink(name))
        RemoveDirectoryA(name);
}
} // namespace

void CSetupMainDlg::OnUninstall() {
    if (AfxMessageBox(kConfirmUninstall, MB_OKCANCEL) != IDOK)
        return;
    if (!SetCurrentDirectoryA(m_strInstalledPath.c_str())) {
        MessageBox(kInstallDirGone, "Error", MB_OK | MB_ICONHAND);
        return;
    }
    // The install folder is removed by its product name from its parent: whatever the record
    // says, nothing but a folder of that name can go.
    SetCurrentDirectoryA("..");
    DeleteTree(kProductFolder);

    const std::string programsFolder = ReadProgramsFolder();
    if (!programsFolder.empty() && SetCurrentDirectoryA(programsFolder.c_str()))
        DeleteTree(kProductFolder);

    DeleteAppRecords();
    MessageBox(kUninstallDone, nullptr, MB_OK);
    PostQuitMessage(kQuitExitCode);
}

// Depth first: each sub-folder as the enumeration meets it, then the folder's files in the
// order found. A file that cannot be deleted throws CFileException, which ends the removal.
void CSetupMainDlg::DeleteTree(const char* name) {
    if (IsLink(name)) {
        RemoveFolderLink(name);
        return;
    }
    if (!SetCurrentDirectoryA(name))
        return;

    std::vector<std::string> files;
    {
        CFileFind finder;
        BOOL more = finder.FindFile("*.*");
        while (more) {
            more = finder.FindNextFile();
            const std::string entry = finder.GetFileName();
            if (!finder.IsDirectory())
                files.push_back(entry);
            else if (entry.front() != '.')
                DeleteTree(entry.c_str());
        }
    }
    for (const std::string& file : files)
        CFile::Remove(file.c_str());

    SetCurrentDirectoryA("..");
    RemoveDirectoryA(name);
}
