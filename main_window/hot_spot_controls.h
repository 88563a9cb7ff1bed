#pragma once
// The hot spots as controls that the dialog manager and screen readers know: one owner-drawn
// button per label, lying over the label, carrying its text and access key. Tab, the arrow keys,
// access keys and accessibility tools then work through the platform itself, while the buttons
// draw nothing and pass the mouse on: the picture and the mouse stay the main window's.

#include "hot_spots.h"

#include <windows.h>

// Creates the five controls on `window` in screen order (their tab order); Play Game and
// Uninstall disabled when nothing is installed. Each reports focus and clicks to `window`
// (BN_SETFOCUS, BN_CLICKED) under its HotSpotControlId.
void CreateHotSpotControls(HWND window, bool installed);
