#pragma once
// Start-menu shortcut files written through the shell's link object.

#include <windows.h>

// What CreateShortcut ended with: S_OK when the file was saved, else the failure, and whether it
// was COM's initialisation (the one failure the install tells the user of).
struct ShortcutResult {
    HRESULT status = S_OK;
    bool comFailed = false;
};

// Writes the shell link `linkFile` (absolute, or relative to the current directory) pointing to
// `target`, with `description` and `workingDir`; an existing file of that name is replaced.
// Ends the COM initialisation the previous call left and initialises COM again, so calls in a
// row stay balanced; COM stays initialised when it returns.
ShortcutResult CreateShortcut(const char* target, const char* linkFile, const char* description,
                              const char* workingDir);

#include <array>
#include <string>

// One shortcut of the program group: its file name in the group folder and its three fields.
struct ShortcutSpec {
    std::string linkFile;
    std::string target;
    std::string description;
    std::string workingDir;
};

// The program group's four shortcuts, in the order they are made: the game, its title screen and
// read-me in the install directory, and the uninstaller in the Windows directory.
std::array<ShortcutSpec, 4> GroupShortcuts(const std::string& installDir, const std::string& systemRoot);
