#pragma once
// The copy progress dialog: extracts every entry of the pack "hxdemo.pak" in the source directory
// to the place its name chooses, one piece of at most 262,144 bytes per tick of timer 1, with a
// bar for the current entry and one for the total. Cancel (or the close message) pauses the
// copying and asks the exit confirmation: Resume goes on where it stopped, Exit removes what was
// copied into the install directory.
//
// The caller sets the source, install and Windows directories before DoModal. DoModal returns
// IDOK when every entry has been written or skipped, IDCANCEL after Exit, and -1 when the pack
// cannot be read, a write fails or a destination's path is too long for the system (which fails
// like a write): those paths show a message, run the clean-up pass and post the quit message with
// code 18, which ends the modal loop.

#include "controls.h"
#include "dialog.h"
#include "file.h"
#include "resource.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCopyProgressDlg : public CDialog {
public:
    enum { IDD = IDD_COPY_PROGRESS };

    explicit CCopyProgressDlg(CWnd* parent = nullptr);

    // The clean-up pass: closes the destination, deletes each entry's file from the install
    // directory (".mfd" entries from its "Multi"), whether or not the entry was reached, then
    // removes "Multi" and the install directory when they are empty. Failures are ignored.
    void RemoveCopiedFiles();

    // The bytes written into files so far; entries skipped (kept or not creatable) add nothing.
    std::uint64_t BytesWritten() const { return m_ullBytesWritten; }

    std::string m_strSourceDir;  // the folder of the pack
    std::string m_strInstallDir; // where the game goes, without a trailing backslash
    std::string m_strSystemRoot; // the Windows directory

protected:
    // An entry's location record: where its data starts in the pack, and how many bytes it has.
    struct Location {
        DWORD offset = 0;
        DWORD size = 0;
    };

    // The entry tables, indexed by entry number; kept until the dialog object goes.
    std::vector<std::string> m_arrNames;
    std::vector<std::array<std::uint8_t, 8>> m_arrNameRecords;
    std::vector<Location> m_arrLocations;
    std::array<std::uint8_t, 12> m_packHeader{};
    CWnd* m_pOwner = nullptr; // the window that owns the dialog, taken at initialisation
    CFile m_filePack;
    CFile m_fileDest;
    int m_nCurrent = 0;      // the entry in progress
    DWORD m_dwFileDone = 0;  // bytes of it written so far; 0: not started
    int m_nTotalSize = 0;    // the sum of all entry sizes
    DWORD m_dwTotalDone = 0; // bytes handled overall, skipped entries included
    std::uint64_t m_ullBytesWritten = 0;
    CStatic m_staticFile;
    CProgressCtrl m_progressTotal;
    CProgressCtrl m_progressFile;
    BOOL m_bActive = FALSE; // a tick may copy; cleared during a tick and while the question is open

    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool OnTimer(UINT_PTR id) override;

private:
    enum class TickFailure { None, Read, Write };
    enum class DestinationOpen { Opened, Skipped, TooLong };

    std::unique_ptr<BYTE[]> m_transferBuffer; // the piece in transit, made at the first piece

    int EntryCount() const { return static_cast<int>(m_arrNames.size()); }
    void PrepareBars() const;
    void CreateInstallDirectories() const;
    bool ReadPackTable();
    TickFailure CopyNextPiece();
    DestinationOpen OpenDestination();
    void ShowProgress(DWORD entrySize) const;
    // Message, clean-up pass and quit message: the end of the dialog after a failure.
    void Fail(const char* text);
};
