// The main window's Uninstall: the question, the removal, the box that tells how it went.
#include "main_dlg.h"

#include "app.h"
#include "file.h"
#include "product.h"
#include "removal.h"

// A file that cannot be deleted ends the removal with the framework's file-error box; the main
// window stays, with the records kept.
void CSetupMainDlg::OnUninstall() {
    if (AfxMessageBox(kRemovalQuestion, MB_OKCANCEL) != IDOK)
        return;
    RemovalOutcome outcome = RemovalOutcome::InstallFolderGone;
    try {
        outcome = RemoveInstallation(m_strInstalledPath);
    } catch (const CFileException& error) {
        error.ReportError(MB_ICONSTOP);
        return;
    }
    const RemovalNotice notice = NoticeOfRemoval(outcome);
    MessageBox(notice.text, notice.caption, notice.type);
    if (outcome == RemovalOutcome::Removed)
        PostQuitMessage(kQuitExitCode);
}
