#include "copy_progress_dlg.h"

#include "app.h"
#include "copy_progress.h"
#include "destination_rules.h"
#include "exit_confirm_dlg.h"
#include "paths.h"
#include "pack_reader.h"
#include "product.h"

#include <algorithm>
#include <memory>

namespace {
constexpr UINT_PTR kCopyTimer = 1;
constexpr UINT kCopyTimerPeriod = 1; // ms; the system stretches it to its own minimum
constexpr const char* kPackFileName = "hxdemo.pak";
constexpr const char* kErrorCaption = "Error!";
constexpr const char* kCopyFailedText = "Error occurred while copying files.";
constexpr const char* kWriteFailedText =
    "Error occurred while copying files. Please check free space of your hard disk.";

// The pack file as the table reader sees it. Read, seek and length failures throw CFileException.
class CFilePackSource final : public hx::ByteSource {
public:
    explicit CFilePackSource(CFile& file) : m_file(file) {}

    std::uint64_t size() override { return m_file.GetLength(); }
    void seek(std::uint64_t offset) override {
        // The reader seeks only to offsets it has checked to lie below 2^31.
        m_file.Seek(static_cast<LONG>(offset), CFile::begin);
    }
    std::size_t read(void* buffer, std::size_t count) override {
        return m_file.Read(buffer, static_cast<UINT>(count));
    }

private:
    CFile& m_file;
};
// Moves a bar to `position` without painting it here: a bar repaints itself at once when its
// position changes, which would cost the tick most of its time. With drawing held the position
// changes now, and the invalidated bar is painted by the message loop once the tick has started
// its timer again.
void SetBarPosition(const CProgressCtrl& bar, int position) {
    if (bar.GetPos() == position)
        return;
    bar.SetRedraw(FALSE);
    bar.SetPos(position);
    bar.SetRedraw(TRUE);
    bar.Invalidate(FALSE);
}
} // namespace

CCopyProgressDlg::CCopyProgressDlg(CWnd* parent) : CDialog(IDD, parent) {
    m_bActive = FALSE;
}

void CCopyProgressDlg::DoDataExchange() {
    DDX_Control(IDC_STATIC_FILE, m_staticFile);
    DDX_Control(IDC_PROGRESS_TOTAL, m_progressTotal);
    DDX_Control(IDC_PROGRESS_FILE, m_progressFile);
}

BOOL CCopyProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    PrepareBars();
    m_staticFile.SetWindowText("");
    m_bActive = TRUE;
    m_pOwner = GetOwner();
    CreateInstallDirectories();
    SetCurrentDirectoryA(m_strSourceDir.c_str());

    if (!ReadPackTable()) {
        Fail(kCopyFailedText);
        return TRUE;
    }
    m_nCurrent = 0;
    m_dwFileDone = 0;
    m_dwTotalDone = 0;
    SetTimer(kCopyTimer, kCopyTimerPeriod);
    return TRUE;
}

void CCopyProgressDlg::PrepareBars() const {
    m_progressTotal.SetRange(0, 100);
    m_progressFile.SetRange(0, 100);
    m_progressTotal.SetStep(1);
    m_progressFile.SetStep(1);
    m_progressTotal.SetPos(0);
    m_progressFile.SetPos(0);
}

void CCopyProgressDlg::CreateInstallDirectories() const {
    // One level each; a directory that exists already is fine, and a failure shows later as
    // entries that cannot be written there.
    CreateDirectoryA(m_strInstallDir.c_str(), nullptr);
    CreateDirectoryA(JoinPath(m_strInstallDir, hx::kMultiFolder).c_str(), nullptr);
    CreateDirectoryA(JoinPath(m_strInstallDir, hx::kProfilesFolder).c_str(), nullptr);
}

bool CCopyProgressDlg::ReadPackTable() {
    m_nTotalSize = 0;
    const std::string packPath = JoinPath(m_strSourceDir, kPackFileName);
    if (!m_filePack.Open(packPath.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return false;
    try {
        CFilePackSource source(m_filePack);
        const hx::PackReadResult result = hx::readPackTable(source);
        // A pack outside the format's limits, or with a name that would leave its folder, is
        // refused as a whole before anything is written.
        if (!result.ok()) {
            m_filePack.Abort();
            return false;
        }
        const hx::PackTable& table = result.table;
        std::copy(table.header.begin(), table.header.end(), m_packHeader.begin());
        for (const hx::PackEntry& entry : table.entries) {
            m_arrNameRecords.push_back(entry.nameRecord);
            m_arrNames.push_back(entry.name);
            m_arrLocations.push_back({entry.offset, entry.size});
        }
        m_nTotalSize = table.totalSize;
        m_filePack.Seek(static_cast<LONG>(m_arrLocations.front().offset), CFile::begin);
    } catch (const CFileException&) {
        m_filePack.Abort();
        return false;
    }
    return true;
}

bool CCopyProgressDlg::OnTimer(UINT_PTR id) {
    if (id != kCopyTimer)
        return false;
    // No tick starts while this one runs, not even from the loop of one of its message boxes.
    KillTimer(kCopyTimer);
    if (m_bActive == TRUE) {
        m_bActive = FALSE;
        const int handled = m_nCurrent;
        switch (CopyNextPiece()) {
        case TickFailure::Read:
            Fail(kCopyFailedText);
            return true;
        case TickFailure::Write:
            Fail(kWriteFailedText);
            return true;
        case TickFailure::None:
            break;
        }
        if (m_nCurrent == EntryCount()) {
            m_bActive = FALSE;
            EndDialog(IDOK);
        }
        ShowProgress(m_arrLocations[static_cast<size_t>(handled)].size);
        m_bActive = TRUE;
    }
    SetTimer(kCopyTimer, kCopyTimerPeriod);
    return true;
}

CCopyProgressDlg::TickFailure CCopyProgressDlg::CopyNextPiece() {
    const Location entry = m_arrLocations[static_cast<size_t>(m_nCurrent)];
    bool writing = m_dwFileDone != 0;
    try {
        if (!writing) {
            const DestinationOpen opened = OpenDestination();
            // A path the system cannot take would leave the entry out of every install to this
            // directory: that ends the copying like a write failure, never as a silent skip.
            if (opened == DestinationOpen::TooLong)
                return TickFailure::Write;
            writing = opened == DestinationOpen::Opened;
        }
        if (!writing) {
            // Skipped: its bytes count as handled all the same.
            m_filePack.Seek(static_cast<LONG>(entry.size), CFile::current);
            m_dwTotalDone += entry.size;
            ++m_nCurrent;
            m_dwFileDone = 0;
            return TickFailure::None;
        }
    } catch (const CFileException&) {
        return TickFailure::Read;
    }
    return TransferPiece(entry.size);
}

CCopyProgressDlg::TickFailure CCopyProgressDlg::TransferPiece(DWORD entrySize) {
    const CopyPiece piece = NextCopyPiece(m_dwFileDone, entrySize);
    // One buffer for the dialog's life: a fresh one each tick costs its page faults every time.
    if (!m_transferBuffer)
        m_transferBuffer.reset(new BYTE[kCopyPieceSize]);
    BYTE* const buffer = m_transferBuffer.get();
    try {
        // A pack shorter than its table claims fails like an unreadable one.
        if (m_filePack.Read(buffer, piece.count) != piece.count)
            return TickFailure::Read;
    } catch (const CFileException&) {
        return TickFailure::Read;
    }
    try {
        m_fileDest.Write(buffer, piece.count);
        if (piece.finishesEntry)
            m_fileDest.Close();
    } catch (const CFileException&) {
        return TickFailure::Write;
    }
    m_dwTotalDone += piece.count;
    m_ullBytesWritten += piece.count;
    if (piece.finishesEntry) {
        ++m_nCurrent;
        m_dwFileDone = 0;
    } else {
        m_dwFileDone += piece.count;
    }
    return TickFailure::None;
}

CCopyProgressDlg::DestinationOpen CCopyProgressDlg::OpenDestination() {
    const std::string& name = m_arrNames[static_cast<size_t>(m_nCurrent)];
    m_staticFile.SetWindowText(name);
    m_filePack.Seek(static_cast<LONG>(m_arrLocations[static_cast<size_t>(m_nCurrent)].offset), CFile::begin);
    const hx::Destination destination = hx::chooseDestination(name, m_strInstallDir, m_strSystemRoot);
    CFileStatus status;
    if (destination.keepExisting && CFile::GetStatus(destination.path.c_str(), status))
        return DestinationOpen::Skipped;
    if (m_fileDest.Open(destination.path.c_str(), CFile::modeCreate | CFile::modeWrite))
        return DestinationOpen::Opened;
    // A destination that cannot be created (missing folder, access denied, in use) is skipped,
    // unless its path is too long for the system: then no entry of that length could ever land.
    const bool tooLong = GetLastError() == ERROR_FILENAME_EXCED_RANGE || DestinationTooLong(destination.path);
    return tooLong ? DestinationOpen::TooLong : DestinationOpen::Skipped;
}

void CCopyProgressDlg::ShowProgress(DWORD entrySize) const {
    SetBarPosition(m_progressTotal, ProgressPosition(m_dwTotalDone, m_nTotalSize));
    SetBarPosition(m_progressFile, ProgressPosition(m_dwFileDone, entrySize));
}

void CCopyProgressDlg::Fail(const char* text) {
    MessageBox(text, kErrorCaption, MB_ICONHAND);
    RemoveCopiedFiles();
    PostQuitMessage(kQuitExitCode);
}

void CCopyProgressDlg::RemoveCopiedFiles() {
    m_fileDest.Abort();
    for (const std::string& name : m_arrNames) {
        try {
            CFile::Remove(CleanupPath(m_strInstallDir, name).c_str());
        } catch (const CFileException&) {
            // Not there, or not removable: the pass goes on.
        }
    }
    // Only empty folders go; "Profiles" stays, and with it the install directory.
    RemoveDirectoryA(JoinPath(m_strInstallDir, hx::kMultiFolder).c_str());
    RemoveDirectoryA(m_strInstallDir.c_str());
}

// The close message comes here too (the dialog manager turns it into the Cancel command), with the
// pack, the timer and the entry tables as they are, so that Resume goes on copying.
void CCopyProgressDlg::OnCancel() {
    m_bActive = FALSE; // ticks keep coming but do nothing while the question is open
    CExitConfirmDlg confirm;
    if (confirm.DoModal() == IDCANCEL) {
        m_bActive = TRUE;
        return;
    }
    RemoveCopiedFiles();
    CDialog::OnCancel();
}
