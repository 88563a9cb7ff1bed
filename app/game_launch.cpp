// The Play Game operation: hands the process over to the installed game.
#include "main_dlg.h"

#include "program_start.h"

namespace {
constexpr const char* kGameProgram = "hxdemo.exe";
constexpr const char* kReinstallMessage =
    "There was something wrong in installation. Please reinstall and try again.";
} // namespace

void CSetupMainDlg::OnPlayGame() {
    // The game starts in its own folder. When that is gone, the search below still runs from
    // wherever the current directory is.
    SetCurrentDirectoryA(m_strInstalledPath.c_str());
    // Looks in the current directory, then along PATH; on success this process ends here with
    // status 0 and the game runs on alone.
    HandOverToProgram(kGameProgram);
    MessageBox(kReinstallMessage, "Error", MB_OK | MB_ICONHAND);
}
