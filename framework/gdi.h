#pragma once
// GDI wrappers: each owns its handle and releases it when it goes out of scope.

#include <windows.h>

#include <utility>

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    BOOL LoadBitmap(UINT resourceId);
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
    BOOL Attach(HBITMAP bitmap);
    void DeleteObject() {
        if (m_hObject)
            ::DeleteObject(std::exchange(m_hObject, nullptr));
    }
    HBITMAP GetSafeHandle() const { return m_hObject; }

private:
    HBITMAP m_hObject = nullptr;
};

// A device context. A memory context made with CreateCompatibleDC is deleted with the object,
// after the bitmap it was created with is selected back in.
class CDC {
public:
    CDC() = default;
    ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(HDC reference);
    void DeleteDC();
    // Selects a bitmap; the context's original bitmap is remembered and restored on deletion.
    HBITMAP SelectObject(HBITMAP bitmap);
    HBITMAP SelectObject(const CBitmap& bitmap) { return SelectObject(bitmap.GetSafeHandle()); }
    BOOL BitBlt(int x, int y, int width, int height, const CDC& source, int sourceX, int sourceY,
                DWORD rop) const {
        return ::BitBlt(m_hDC, x, y, width, height, source.m_hDC, sourceX, sourceY, rop);
    }
    HDC GetSafeHdc() const { return m_hDC; }

protected:
    HDC m_hDC = nullptr;

private:
    HGDIOBJ m_hOriginalBitmap = nullptr;
    bool m_bOwned = false;
};

// The paint context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};
