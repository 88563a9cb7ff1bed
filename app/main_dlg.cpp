#include "main_dlg.h"

#include "app.h"
#include "product.h"
#include "registry_records.h"

namespace {
constexpr DWORD kCurrentDirectoryBuffer = 255;

// Copies an overlay bitmap from the resources into the composition. The overlay is loaded for
// this paint only and deselected before it is deleted.
void DrawOverlay(const CDC& composition, CDC& source, UINT bitmapId, const RECT& at, SIZE size) {
    CBitmap overlay;
    if (!overlay.LoadBitmap(bitmapId))
        return;
    const HBITMAP previous = source.SelectObject(overlay);
    composition.BitBlt(at.left, at.top, size.cx, size.cy, source, 0, 0, SRCCOPY);
    source.SelectObject(previous);
}
} // namespace

CSetupMainDlg::CSetupMainDlg(CWnd* parent) : CDialog(IDD, parent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_SETUP));
}

BOOL CSetupMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    PlaceCentred();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(kMainWindowCaption);
    m_nHotSpot = HOT_NONE;

    char currentDir[kCurrentDirectoryBuffer] = {};
    const DWORD length = GetCurrentDirectoryA(kCurrentDirectoryBuffer, currentDir);
    m_strSourceDir = length < kCurrentDirectoryBuffer ? std::string(currentDir, length) : std::string();

    m_strSystemRoot = ReadSystemRoot();
    const ProductRecord record = ReadProductRecord();
    m_strInstalledPath = record.installedPath;
    m_bInstalled = record.installed;

    m_bmpBackground.LoadBitmap(IDB_BACKGROUND);
    return TRUE;
}

void CSetupMainDlg::PlaceCentred() {
    const POINT origin = CenteredWindowOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(HWND_TOP, origin.x, origin.y, kMainWindowWidth, kMainWindowHeight, 0);
}

bool CSetupMainDlg::OnPaint() {
    CPaintDC paint(m_hWnd);
    CBitmap composed;
    composed.CreateCompatibleBitmap(paint.GetSafeHdc(), kPictureWidth, kPictureHeight);
    {
        CDC source;
        CDC composition;
        source.CreateCompatibleDC(paint.GetSafeHdc());
        composition.CreateCompatibleDC(paint.GetSafeHdc());
        composition.SelectObject(composed);
        ComposePicture(composition, source);
        paint.BitBlt(0, 0, kPictureWidth, kPictureHeight, composition, 0, 0, SRCCOPY);
    }
    return true;
}

void CSetupMainDlg::ComposePicture(const CDC& composition, CDC& source) const {
    source.SelectObject(m_bmpBackground);
    composition.BitBlt(0, 0, kPictureWidth, kPictureHeight, source, 0, 0, SRCCOPY);

    if (!m_bInstalled) {
        for (const auto& spot : kHotSpots)
            if (spot.greyBitmap)
                DrawOverlay(composition, source, spot.greyBitmap, spot.redraw, spot.overlay);
    }
    const auto hot = static_cast<HotSpot>(m_nHotSpot);
    if (IsHotSpotLive(hot, m_bInstalled)) {
        const HotSpotInfo* spot = FindHotSpot(hot);
        DrawOverlay(composition, source, spot->litBitmap, spot->redraw, spot->overlay);
    }
}

bool CSetupMainDlg::OnEraseBkgnd(HDC /*dc*/) {
    return true; // the picture covers everything: erasing would only flicker
}

bool CSetupMainDlg::OnMouseMove(UINT /*flags*/, POINT point) {
    for (const auto& spot : kHotSpots)
        InvalidateRect(spot.redraw, TRUE);
    m_nHotSpot = HitTestHotSpot(point);
    return false;
}

bool CSetupMainDlg::OnLButtonDown(UINT /*flags*/, POINT /*point*/) {
    switch (m_nHotSpot) {
    case HOT_PLAY:
        if (m_bInstalled)
            OnPlayGame();
        break;
    case HOT_INSTALL:
        OnInstall();
        break;
    case HOT_EXIT:
        OnExit();
        break;
    case HOT_DIRECTX:
        OnDirectX();
        break;
    case HOT_UNINSTALL:
        if (m_bInstalled)
            OnUninstall();
        break;
    default:
        break;
    }
    return false;
}

void CSetupMainDlg::OnExit() {
    PostQuitMessage(kQuitExitCode);
}
