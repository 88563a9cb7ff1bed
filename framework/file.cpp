#include "file.h"

#include "app.h"

#include <iterator>
#include <utility>

namespace {
struct OsErrorCause {
    LONG osError;
    int cause;
};

constexpr OsErrorCause kOsErrorCauses[] = {
    {NO_ERROR, CFileException::none},
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_INVALID_HANDLE, CFileException::fileNotFound},
    {ERROR_BAD_FORMAT, CFileException::invalidFile},
    {ERROR_INVALID_ACCESS, CFileException::accessDenied},
    {ERROR_INVALID_DRIVE, CFileException::badPath},
    {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
    {ERROR_NOT_SAME_DEVICE, CFileException::badPath},
    {ERROR_NO_MORE_FILES, CFileException::fileNotFound},
    {ERROR_WRITE_PROTECT, CFileException::accessDenied},
    {ERROR_BAD_UNIT, CFileException::hardIO},
    {ERROR_NOT_READY, CFileException::hardIO},
    {ERROR_BAD_COMMAND, CFileException::hardIO},
    {ERROR_CRC, CFileException::hardIO},
    {ERROR_BAD_LENGTH, CFileException::badSeek},
    {ERROR_SEEK, CFileException::badSeek},
    {ERROR_NOT_DOS_DISK, CFileException::invalidFile},
    {ERROR_SECTOR_NOT_FOUND, CFileException::badSeek},
    {ERROR_WRITE_FAULT, CFileException::accessDenied},
    {ERROR_READ_FAULT, CFileException::badSeek},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_WRONG_DISK, CFileException::badPath},
    {ERROR_SHARING_BUFFER_EXCEEDED, CFileException::tooManyOpenFiles},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {ERROR_BAD_NETPATH, CFileException::badPath},
    {ERROR_NETWORK_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_BAD_NET_NAME, CFileException::badPath},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},
    {ERROR_CANNOT_MAKE, CFileException::accessDenied},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
    {ERROR_SEEK_ON_DEVICE, CFileException::badSeek},
    {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_LOCK_FAILED, CFileException::lockViolation},
    {ERROR_BUSY, CFileException::accessDenied},
    {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
    {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
    {ERROR_DIRECTORY, CFileException::badPath},
    {ERROR_OPERATION_ABORTED, CFileException::hardIO},
};

// One wording per cause, in the order of CFileException::Cause; %1 stands for the file name.
constexpr const char* kCauseWordings[] = {
    "No error occurred while accessing %1.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

DWORD DesiredAccess(UINT flags) {
    switch (flags & 3) {
    case CFile::modeWrite:
        return GENERIC_WRITE;
    case CFile::modeReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

DWORD ShareMode(UINT flags) {
    switch (flags & 0x70) {
    case CFile::shareDenyWrite:
        return FILE_SHARE_READ;
    case CFile::shareDenyRead:
        return FILE_SHARE_WRITE;
    case CFile::shareDenyNone:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

DWORD CreationDisposition(UINT flags) {
    if (flags & CFile::modeCreate)
        return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}
} // namespace

int CFileException::OsErrorToException(LONG osError) {
    for (const auto& entry : kOsErrorCauses)
        if (entry.osError == osError)
            return entry.cause;
    return genericException;
}

void CFileException::ThrowOsError(LONG osError, const std::string& fileName) {
    throw CFileException(OsErrorToException(osError), fileName);
}

std::string CFileException::GetErrorMessage() const {
    const bool known = m_cause >= 0 && m_cause < static_cast<int>(std::size(kCauseWordings));
    std::string text = kCauseWordings[known ? m_cause : genericException];
    const std::string name = m_strFileName.empty() ? "an unnamed file" : m_strFileName;
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

int CFileException::ReportError(UINT type) const {
    return AfxMessageBox(GetErrorMessage().c_str(), type);
}

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    Abort();
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    m_hFile = CreateFileA(fileName, DesiredAccess(openFlags), ShareMode(openFlags), &security,
                          CreationDisposition(openFlags), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile != INVALID_HANDLE_VALUE)
        return TRUE;
    if (error) {
        const LONG osError = static_cast<LONG>(GetLastError());
        *error = CFileException(CFileException::OsErrorToException(osError), fileName);
    }
    return FALSE;
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!ReadFile(m_hFile, buffer, count, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!WriteFile(m_hFile, buffer, count, &written, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
    if (written != count)
        throw CFileException(CFileException::diskFull);
}

DWORD CFile::Seek(LONG offset, UINT from) {
    SetLastError(NO_ERROR);
    const DWORD position = SetFilePointer(m_hFile, offset, nullptr, from);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
    return position;
}

DWORD CFile::GetLength() const {
    const DWORD size = GetFileSize(m_hFile, nullptr);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
    return size;
}

void CFile::Close() {
    if (!IsOpen())
        return;
    const HANDLE file = std::exchange(m_hFile, INVALID_HANDLE_VALUE);
    if (!CloseHandle(file))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
}

void CFile::Abort() noexcept {
    if (IsOpen())
        CloseHandle(std::exchange(m_hFile, INVALID_HANDLE_VALUE));
}

void CFile::Remove(const char* fileName) {
    if (!DeleteFileA(fileName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
}

BOOL CFile::GetStatus(const char* fileName, CFileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data))
        return FALSE;
    status.m_mtime = data.ftLastWriteTime;
    status.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = data.dwFileAttributes;
    return TRUE;
}

BOOL CFileFind::FindFile(const char* pattern) {
    Close();
    m_hFind = FindFirstFileA(pattern, &m_next);
    m_bHasNext = m_hFind != INVALID_HANDLE_VALUE;
    return m_bHasNext;
}

BOOL CFileFind::FindNextFile() {
    if (!m_bHasNext)
        return FALSE;
    m_found = m_next;
    m_bHasNext = ::FindNextFileA(m_hFind, &m_next) != FALSE;
    return m_bHasNext;
}

void CFileFind::Close() {
    if (m_hFind != INVALID_HANDLE_VALUE)
        FindClose(std::exchange(m_hFind, INVALID_HANDLE_VALUE));
    m_bHasNext = false;
}

BOOL CFileFind::IsDots() const {
    const std::string name = GetFileName();
    return IsDirectory() && (name == "." || name == "..");
}
