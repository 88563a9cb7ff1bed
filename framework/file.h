#pragma once
// CFile: file input and output. Opening reports failure by its result; reading, writing,
// seeking, closing and removing throw CFileException with the platform error.
// CFileFind: a folder enumeration.

#include <windows.h>

#include <exception>
#include <string>

class CFileException : public std::exception {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause, std::string fileName = {})
        : m_cause(cause), m_strFileName(std::move(fileName)) {}

    static int OsErrorToException(LONG osError);
    [[noreturn]] static void ThrowOsError(LONG osError, const std::string& fileName = {});

    // The file-error wording for this cause, the file name (or "an unnamed file") in place of %1.
    std::string GetErrorMessage() const;
    // Shows GetErrorMessage in a message box captioned with the application name.
    int ReportError(UINT type = MB_OK) const;
    const char* what() const noexcept override { return "file error"; }

    int m_cause;
    std::string m_strFileName;
};

struct CFileStatus {
    FILETIME m_mtime{};
    ULONGLONG m_size = 0;
    DWORD m_attribute = 0;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    ~CFile(); // closes without throwing
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // false when the file cannot be opened; *error (if given) then holds the cause.
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    DWORD Seek(LONG offset, UINT from);
    DWORD GetLength() const;
    void Close();
    // Closes without throwing, ignoring failures.
    void Abort() noexcept;
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    static void Remove(const char* fileName);
    // false when nothing exists at the path.
    static BOOL GetStatus(const char* fileName, CFileStatus& status);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts the enumeration; true when at least one entry matched.
    BOOL FindFile(const char* pattern = "*.*");
    // Moves to the next entry; false when this is the last one (it can still be read).
    BOOL FindNextFile();
    void Close();

    std::string GetFileName() const { return m_found.cFileName; }
    BOOL IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    BOOL IsDots() const;

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA m_found{};
    WIN32_FIND_DATAA m_next{};
    bool m_bHasNext = false;
};
