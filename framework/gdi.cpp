#include "gdi.h"

#include "app.h"

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId)));
}

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
    return Attach(::CreateCompatibleBitmap(dc, width, height));
}

BOOL CBitmap::Attach(HBITMAP bitmap) {
    DeleteObject();
    m_hObject = bitmap;
    return bitmap != nullptr;
}

BOOL CDC::CreateCompatibleDC(HDC reference) {
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(reference);
    m_bOwned = m_hDC != nullptr;
    return m_bOwned;
}

void CDC::DeleteDC() {
    if (!m_bOwned)
        return;
    if (m_hOriginalBitmap)
        ::SelectObject(m_hDC, m_hOriginalBitmap);
    ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_hOriginalBitmap = nullptr;
    m_bOwned = false;
}

HBITMAP CDC::SelectObject(HBITMAP bitmap) {
    HGDIOBJ previous = ::SelectObject(m_hDC, bitmap);
    if (!m_hOriginalBitmap)
        m_hOriginalBitmap = previous;
    return static_cast<HBITMAP>(previous);
}
