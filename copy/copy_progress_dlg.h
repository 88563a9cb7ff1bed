#pragma once
// The copy progress dialog: extracts every entry of "hxdemo.pak" in the source directory, one
// piece per tick of timer 1. Cancel pauses and asks the exit confirmation; Exit removes the copy.
//
// The caller sets the three directories before DoModal, which returns IDOK when every entry was
// written or skipped, IDCANCEL after Exit, and -1 after a failure (pack unreadable, a write failed,
// a path too long): a message, the clean-up pass and the quit message with code 18.

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
    // Reads the next piece of the open entry from the pack and writes it to the destination.
    TickFailure TransferPiece(DWORD entrySize);
    DestinationOpen OpenDestination();
    void ShowProgress(DWORD entrySize) const;
    // Message, clean-up pass and quit message: the end of the dialog after a failure.
    void Fail(const char* text);
};
