#include "hot_spots.h"

#include "resource.h"

namespace {
constexpr UINT kFirstControlId = 1100; // + the hot spot's number; clear of IDOK and IDCANCEL
} // namespace

const std::array<HotSpotInfo, 5> kHotSpots = {{
    {HOT_PLAY, {299, 1, 412, 43}, {314, 16, 397, 28}, {83, 12}, IDB_PLAY_LIT, IDB_PLAY_GREY, "&Play Game"},
    {HOT_INSTALL, {336, 37, 412, 78}, {351, 52, 397, 63}, {45, 11}, IDB_INSTALL_LIT, 0, "&Install"},
    {HOT_EXIT, {353, 211, 412, 253}, {368, 226, 397, 238}, {29, 11}, IDB_EXIT_LIT, 0, "E&xit"},
    {HOT_DIRECTX, {320, 73, 413, 116}, {335, 88, 398, 101}, {63, 13}, IDB_DIRECTX_LIT, 0, "&DirectX"},
    {HOT_UNINSTALL,
     {273, 211, 369, 252},
     {288, 226, 354, 237},
     {66, 11},
     IDB_UNINSTALL_LIT,
     IDB_UNINSTALL_GREY,
     "&Uninstall"},
}};

const std::array<HotSpot, 5> kHotSpotScreenOrder = {HOT_PLAY, HOT_INSTALL, HOT_DIRECTX, HOT_UNINSTALL,
                                                    HOT_EXIT};

HotSpot HitTestHotSpot(POINT point) {
    for (const auto& spot : kHotSpots) {
        const RECT& r = spot.hit;
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return spot.id;
    }
    return HOT_NONE;
}

const HotSpotInfo* FindHotSpot(HotSpot id) {
    for (const auto& spot : kHotSpots)
        if (spot.id == id)
            return &spot;
    return nullptr;
}

bool IsHotSpotLive(HotSpot id, bool installed) {
    return id != HOT_NONE && ((id != HOT_PLAY && id != HOT_UNINSTALL) || installed);
}

HotSpot FirstLiveHotSpot(bool installed, bool fromTheEnd) {
    const size_t count = kHotSpotScreenOrder.size();
    for (size_t i = 0; i < count; ++i) {
        const HotSpot id = kHotSpotScreenOrder[fromTheEnd ? count - 1 - i : i];
        if (IsHotSpotLive(id, installed))
            return id;
    }
    return HOT_NONE;
}

UINT HotSpotControlId(HotSpot id) {
    return kFirstControlId + static_cast<UINT>(id);
}

HotSpot HotSpotFromControlId(UINT controlId) {
    if (controlId <= kFirstControlId)
        return HOT_NONE;
    const auto id = static_cast<HotSpot>(controlId - kFirstControlId);
    return FindHotSpot(id) ? id : HOT_NONE;
}

POINT CenteredWindowOrigin(int screenWidth, int screenHeight) {
    return POINT{(screenWidth - kMainWindowWidth) / 2, (screenHeight - kMainWindowHeight) / 2};
}
