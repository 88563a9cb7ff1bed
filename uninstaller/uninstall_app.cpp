#include "uninstall_app.h"

#include "file.h"
#include "registry_records.h"
#include "removal.h"
#include "running_copy.h"

namespace {
constexpr const char* kNotInstalled = "HexbreakerDemo is not installed.";
} // namespace

BOOL CUninstallApp::InitInstance() {
    if (!ClaimRunningCopy(kUninstallerMutex)) {
        // The running copy's question and boxes carry the application title as their caption.
        BringRunningCopyForward(m_pszAppName);
        m_nStatus = kStatusRemoved;
        return FALSE;
    }
    m_nStatus = RunUninstall();
    return FALSE;
}

int RunUninstall() {
    // A key without a usable "Path" names nothing to remove. Without the product record, an entry
    // left in the list of installed programs leads nowhere: it goes, so that the user can clear it.
    // A damaged record keeps it: the game may still be there.
    const ProductRecord record = ReadProductRecord();
    if (!record.installed || record.installedPath.empty()) {
        if (!record.installed)
            DeleteUninstallEntry();
        AfxMessageBox(kNotInstalled, MB_OK | MB_ICONINFORMATION);
        return kStatusNothingDone;
    }
    if (AfxMessageBox(kRemovalQuestion, MB_OKCANCEL) != IDOK)
        return kStatusNothingDone;

    RemovalOutcome outcome = RemovalOutcome::InstallFolderGone;
    try {
        outcome = RemoveInstallation(record.installedPath);
    } catch (const CFileException& error) {
        // The framework's file-error box, as setup.exe shows it; the group and the records stay.
        error.ReportError(MB_ICONSTOP);
        return kStatusFailed;
    }
    const RemovalNotice notice = NoticeOfRemoval(outcome);
    MessageBoxA(nullptr, notice.text, notice.caption ? notice.caption : AfxGetAppName(), notice.type);
    return outcome == RemovalOutcome::Removed ? kStatusRemoved : kStatusFailed;
}
