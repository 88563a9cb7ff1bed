#include "hot_spots.h"

#include "resource.h"

const std::array<HotSpotInfo, 5> kHotSpots = {{
#define HOT_SPOT(name, text, hitLeft, hitTop, hitRight, hitBottom, left, top, right, bottom, width, height,  \
                 lit, grey)                                                                                  \
    {HOT_##name, {hitLeft, hitTop, hitRight, hitBottom}, {left, top, right, bottom}, {width, height}, lit,   \
     grey},
#include "hot_spots.def"
#undef HOT_SPOT
}};

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

POINT CenteredWindowOrigin(int screenWidth, int screenHeight) {
    return POINT{(screenWidth - kMainWindowWidth) / 2, (screenHeight - kMainWindowHeight) / 2};
}
