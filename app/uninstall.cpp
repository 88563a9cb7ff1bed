// The main window's Uninstall: the question, the removal, the box that tells how it went.
#include "main_dlg.h"

#include "product.h"
#include "removal.h"

// A file that cannot be deleted throws out of here: the framework reports it in its file-error
// box and the main window stays, with the records kept.
void CSetupMainDlg::OnUninstall() {
    if (!ConfirmRemoval())
        return;
    const RemovalOutcome outcome = RemoveInstallation(m_strInstalledPath);
    ShowRemovalOutcome(m_hWnd, outcome);
    if (outcome == RemovalOutcome::Removed)
        PostQuitMessage(kQuitExitCode);
}
