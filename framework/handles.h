#pragma once
// Owners of a kernel object handle and of a COM interface pointer: each releases what it holds
// when it goes.

#include <windows.h>

#include <utility>

// A kernel object handle (a file, a mutex...), closed with the object. Null and
// INVALID_HANDLE_VALUE, what the platform's calls give on failure, hold nothing.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE handle) : m_hHandle(handle) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    bool IsValid() const { return m_hHandle && m_hHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_hHandle; }
    void Close() {
        if (IsValid())
            CloseHandle(std::exchange(m_hHandle, nullptr));
    }

private:
    HANDLE m_hHandle = nullptr;
};

// One COM interface pointer, released with the object.
template <typename Interface> class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    Interface* operator->() const { return m_pInterface; }
    // Where a call that hands out an interface stores it; what was held before is released.
    void** Receive() {
        Release();
        return reinterpret_cast<void**>(&m_pInterface);
    }
    void Release() {
        if (m_pInterface)
            std::exchange(m_pInterface, nullptr)->Release();
    }

private:
    Interface* m_pInterface = nullptr;
};
