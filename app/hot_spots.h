#pragma once
// The main window's five picture labels: where each is hit, where it is redrawn, and which
// bitmaps light or grey it. Plain logic, no window.

#include <windows.h>

#include <array>

enum HotSpot : int {
    HOT_NONE = 0,
    HOT_PLAY = 1,
    HOT_INSTALL = 2,
    HOT_EXIT = 3,
    HOT_DIRECTX = 4,
    HOT_UNINSTALL = 5,
};

struct HotSpotInfo {
    HotSpot id;
    RECT hit;        // left <= x < right, top <= y < bottom
    RECT redraw;     // invalidated on every mouse move
    SIZE overlay;    // size of the lit and grey bitmaps, drawn at the redraw rectangle's corner
    UINT litBitmap;  // drawn while the pointer is over the label
    UINT greyBitmap; // drawn while nothing is installed; 0 for labels that are always live
};

// In hit-test order: the first rectangle that contains the point wins.
extern const std::array<HotSpotInfo, 5> kHotSpots;

constexpr int kMainWindowWidth = 415;
constexpr int kMainWindowHeight = 249;
constexpr int kPictureWidth = 414;
constexpr int kPictureHeight = 249;

HotSpot HitTestHotSpot(POINT point);
const HotSpotInfo* FindHotSpot(HotSpot id);
// Only Play Game and Uninstall need an installation to be live.
bool IsHotSpotLive(HotSpot id, bool installed);
// Top-left corner that centres the main window on a screen of the given size.
POINT CenteredWindowOrigin(int screenWidth, int screenHeight);
