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
    RECT hit;         // left <= x < right, top <= y < bottom
    RECT redraw;      // invalidated on every mouse move
    SIZE overlay;     // size of the lit and grey bitmaps, drawn at the redraw rectangle's corner
    UINT litBitmap;   // drawn while the label is lit (the pointer or the keyboard focus on it)
    UINT greyBitmap;  // drawn while nothing is installed; 0 for labels that are always live
    const char* text; // the label's words with its access key marked, the text of its control
};

// In hit-test order: the first rectangle that contains the point wins.
extern const std::array<HotSpotInfo, 5> kHotSpots;
// In screen order, top to bottom and left to right: the order of their controls, which Tab and
// the arrow keys follow.
extern const std::array<HotSpot, 5> kHotSpotScreenOrder;

constexpr int kMainWindowWidth = 415;
constexpr int kMainWindowHeight = 249;
constexpr int kPictureWidth = 414;
constexpr int kPictureHeight = 249;

HotSpot HitTestHotSpot(POINT point);
const HotSpotInfo* FindHotSpot(HotSpot id);
// Only Play Game and Uninstall need an installation to be live.
bool IsHotSpotLive(HotSpot id, bool installed);
// The first live hot spot in screen order, or the last; HOT_NONE when none is live.
HotSpot FirstLiveHotSpot(bool installed, bool fromTheEnd);
// The arrow keys go round the labels as Tab does: Left and Up backwards, Right and Down forwards.
bool IsArrowKey(UINT key);
bool IsBackwardArrow(UINT key);
// Each hot spot's control has an id of its own; HOT_NONE for any other id.
UINT HotSpotControlId(HotSpot id);
HotSpot HotSpotFromControlId(UINT controlId);
// Top-left corner that centres the main window on a screen of the given size.
POINT CenteredWindowOrigin(int screenWidth, int screenHeight);
