#include "hot_spots.h"

#include "resource.h"

namespace {
constexpr UINT kFirstControlId = 1100; // + the hot spot's number; clear of IDOK and IDCANCEL
} // namespace

const std::array<HotSpotInfo, 5> kHotSpots = {{
#define HOT_SPOT(name, text, hitLeft, hitTop, hitRight, hitBottom, left, top, right, bottom, width, height,  \
                 lit, grey)                                                                                  \
    {HOT_##name,                                                                                             \
     {hitLeft, hitTop, hitRight, hitBottom},                                                                 \
     {left, top, right, bottom},                                                                             \
     {width, height},                                                                                        \
     lit,                                                                                                    \
     grey,                                                                                                   \
     text},
#include "hot_spots.def"
#undef HOT_SPOT
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

bool IsArrowKey(UINT key) {
    return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

bool IsBackwardArrow(UINT key) {
    return key == VK_LEFT || key == VK_UP;
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
