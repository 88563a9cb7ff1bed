// The Install operation: destination, copying, program group, records and the entry of the list of
// installed programs, read-me, Explorer.
#include "main_dlg.h"

#include "app.h"
#include "copy_progress_dlg.h"
#include "install_dir_dlg.h"
#include "paths.h"
#include "product.h"
#include "program_start.h"
#include "registry_records.h"
#include "shortcuts.h"
#include "sound_cues.h"

#include <mmsystem.h>

#include <string>

namespace {
constexpr const char* kReadmeQuestion = "Do you want to read readme.txt?";
constexpr const char* kComFailed = "error Initalte";

// Makes the program group folder in the Programs folder and enters it, so that shortcuts saved
// under bare file names land there. Returns the group folder, or an empty text when the Programs
// folder is unknown or the group cannot be made or entered: the shortcuts would then be saved
// into whatever folder happens to be current.
std::string EnterProgramGroup() {
    const std::string programs = ReadProgramsFolder();
    if (programs.empty() || !SetCurrentDirectoryA(programs.c_str()))
        return {};
    CreateDirectoryA(kProductFolder, nullptr); // an existing group is reused
    const std::string group = JoinPath(programs, kProductFolder);
    return SetCurrentDirectoryA(group.c_str()) ? group : std::string();
}

// Only a failed COM initialisation is told; every other failure leaves its shortcut out silently.
void CreateGroupShortcuts(const std::string& installDir, const std::string& systemRoot) {
    for (const ShortcutSpec& shortcut : GroupShortcuts(installDir, systemRoot)) {
        const ShortcutResult made = CreateShortcut(shortcut.target.c_str(), shortcut.linkFile.c_str(),
                                                   shortcut.description.c_str(), shortcut.workingDir.c_str());
        if (made.comFailed)
            AfxMessageBox(kComFailed);
    }
}
} // namespace

void CSetupMainDlg::OnInstall() {
    PlayCue(m_strSourceDir, kCueInstallInitialize, SND_ASYNC);
    // The directory browser opens at the current directory.
    SetCurrentDirectoryA("C:\\");

    CInstallDirDlg installDirDlg;
    CCopyProgressDlg copyDlg;
    installDirDlg.m_strSourceDir = m_strSourceDir;
    if (installDirDlg.DoModal() != IDOK) {
        PostQuitMessage(kQuitExitCode);
        return;
    }
    m_strInstallDir = installDirDlg.m_strInstallDir;
    PlayCue(m_strSourceDir, kCueInstallStandby, SND_ASYNC);
    copyDlg.m_strSourceDir = m_strSourceDir;
    copyDlg.m_strInstallDir = m_strInstallDir;
    copyDlg.m_strSystemRoot = m_strSystemRoot;
    if (copyDlg.DoModal() != IDOK) {
        PostQuitMessage(kQuitExitCode);
        return;
    }

    const std::string group = EnterProgramGroup();
    if (!group.empty())
        CreateGroupShortcuts(m_strInstallDir, m_strSystemRoot);
    WriteAppRecord(kProductKey, m_strInstallDir);
    WriteAppRecord(kDirectPlayKey, m_strInstallDir);
    WriteUninstallEntry(m_strInstallDir, m_strSystemRoot, copyDlg.BytesWritten());
    PlayCue(m_strSourceDir, kCueInstallComplete, SND_SYNC);

    if (MessageBox(kReadmeQuestion, "", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        const std::string readme = JoinPath(m_strInstallDir, kReadmeFile);
        StartProgram("notepad", readme);
    }
    // Explorer takes over: on the program group, or on the install directory when no group could
    // be made. A successful start ends this process with status 0.
    const std::string shown = group.empty() ? m_strInstallDir : group;
    HandOverToProgram("explorer", shown.c_str());
    PostQuitMessage(kQuitExitCode);
}
