#pragma once
// Removing an installation: the install folder, the Start-menu program group, both records and the
// entry of the list of installed programs. setup.exe's Uninstall and the uninstaller hxduninst.exe
// both run this code and tell its outcome in the same boxes.

#include <windows.h>

#include <string>

// The question both programs ask first, in the framework's OK/Cancel box: OK removes.
constexpr const char* kRemovalQuestion = "Are you sure to uninstall HexbreakerDemo?";

enum class RemovalOutcome {
    Removed,           // the install folder, the program group, the records and the entry are gone
    InstallFolderGone, // the installed path could not be entered: nothing was changed
};

// Removes the installation whose "Path" record is `installedPath`: the folder of the product's
// name in that path's parent, the program group, then the product and DirectPlay records and the
// entry of the list of installed programs. A file that cannot be deleted throws CFileException and
// ends the removal there, the group, the records and the entry kept, so that it can be tried
// again. Leaves the current directory where it ended.
RemovalOutcome RemoveInstallation(const std::string& installedPath);

// The box that tells an outcome: "Uninstall completed." captioned with the application name (null
// caption), or the stop box "Error" when the installed folder was moved or deleted.
struct RemovalNotice {
    const char* text;
    const char* caption;
    UINT type;
};
RemovalNotice NoticeOfRemoval(RemovalOutcome outcome);

// Deletes the folder `name` (relative to the current directory) with everything in it, depth
// first: each sub-folder as the enumeration meets it, then the folder's files in the order found.
// Links are never followed. A file that cannot be deleted throws CFileException.
void DeleteTree(const char* name);
