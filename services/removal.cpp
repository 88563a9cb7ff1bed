// Removal of an installation, shared by setup.exe's Uninstall and the uninstaller.
#include "removal.h"

#include "file.h"
#include "handles.h"
#include "paths.h"
#include "proc_address.h"
#include "product.h"
#include "registry_records.h"

#include <vector>

namespace {
constexpr const char* kInstallDirGone =
    "Unable to uninstall because of installed directory was moved or deleted.";
constexpr const char* kUninstallDone = "Uninstall completed.";

// A junction or symbolic link. Removal never enters one: its target lies outside the tree.
bool IsLink(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether opening `name` without following it reaches the link itself. Some platforms open the
// target instead, and then also remove the target (when empty) in place of the link.
bool OpensAsLink(const char* name) {
    const CHandle opened(CreateFileA(
        name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened.IsValid())
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(opened.Get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a folder link itself, never its target; where that cannot be told apart, the link stays.
void RemoveFolderLink(const char* name) {
    if (OpensAsLink(name))
        RemoveDirectoryA(name);
}

// The full path an open of `name` finally reaches, every link on the way resolved; empty where
// the system cannot tell (it has no such call before Windows Vista, nor file links).
std::string FinalPath(const char* name) {
    using GetFinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    const auto getFinalPath =
        ProcAddress<GetFinalPathFn>(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA");
    if (!getFinalPath)
        return {};
    const CHandle opened(CreateFileA(name, FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened.IsValid())
        return {};
    std::vector<char> path(1024, '\0');
    const DWORD length = getFinalPath(opened.Get(), path.data(), static_cast<DWORD>(path.size()), 0);
    return length > 0 && length < path.size() ? std::string(path.data(), length) : std::string();
}

// Whether a file of the current folder is a link to somewhere else. Some platforms mark a file
// link with no attribute and delete its target in its place, so the test is where it leads.
bool LeadsElsewhere(const std::string& folderPath, const std::string& file) {
    if (IsLink(file.c_str()))
        return true;
    const std::string reached = FinalPath(file.c_str());
    if (folderPath.empty() || reached.empty())
        return false;
    return lstrcmpiA(JoinPath(folderPath, file).c_str(), reached.c_str()) != 0;
}

// Deletes a file of the current folder; a link goes only where the platform deletes the link
// itself, never its target, and otherwise stays.
void RemoveFile(const std::string& folderPath, const std::string& file) {
    if (!LeadsElsewhere(folderPath, file)) {
        CFile::Remove(file.c_str());
        return;
    }
    if (OpensAsLink(file.c_str()))
        CFile::Remove(file.c_str());
}
} // namespace

RemovalOutcome RemoveInstallation(const std::string& installedPath) {
    if (!SetCurrentDirectoryA(installedPath.c_str()))
        return RemovalOutcome::InstallFolderGone;
    // The install folder is removed by its product name from its parent: whatever the record
    // says, nothing but a folder of that name can go.
    SetCurrentDirectoryA("..");
    DeleteTree(kProductFolder);

    const std::string programsFolder = ReadProgramsFolder();
    if (!programsFolder.empty() && SetCurrentDirectoryA(programsFolder.c_str()))
        DeleteTree(kProductFolder);

    DeleteAppRecords();
    return RemovalOutcome::Removed;
}

RemovalNotice NoticeOfRemoval(RemovalOutcome outcome) {
    if (outcome == RemovalOutcome::Removed)
        return {kUninstallDone, nullptr, MB_OK};
    return {kInstallDirGone, "Error", MB_OK | MB_ICONHAND};
}

void DeleteTree(const char* name) {
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
    const std::string folderPath = FinalPath(".");
    for (const std::string& file : files)
        RemoveFile(folderPath, file);

    SetCurrentDirectoryA("..");
    RemoveDirectoryA(name);
}
