#include "destination_rules.h"

#include <algorithm>
#include <initializer_list>

namespace hx {
namespace {

bool isOneOf(std::string_view text, std::initializer_list<std::string_view> candidates) {
    return std::find(candidates.begin(), candidates.end(), text) != candidates.end();
}

std::string join(std::string_view directory, std::string_view subdirectory, std::string_view name) {
    std::string path(directory);
    path += '\\';
    if (!subdirectory.empty()) {
        path += subdirectory;
        path += '\\';
    }
    path += name;
    return path;
}

} // namespace

std::string_view nameEnding(std::string_view name) {
    constexpr std::size_t kEndingLength = 4;
    return name.size() <= kEndingLength ? name : name.substr(name.size() - kEndingLength);
}

DestinationRule destinationRuleFor(std::string_view name) {
    const std::string_view end = nameEnding(name);
    if (isOneOf(end, {".mfd", ".scr", ".fld"})) {
        return DestinationRule::Multi;
    }
    if (isOneOf(name, {"default.jpg", "hum6.bmp", "hum7.bmp", "hum8.bmp", "hum9.bmp"})) {
        return DestinationRule::Profiles;
    }
    if (isOneOf(end, {".dll", ".drv", ".wnd"})) {
        return DestinationRule::System;
    }
    if (isOneOf(name, {"ptlic32.exe", "hxduninst.exe"})) {
        return DestinationRule::Windows;
    }
    return DestinationRule::Install;
}

Destination chooseDestination(std::string_view name, std::string_view installDir,
                              std::string_view windowsDir) {
    Destination destination;
    destination.rule = destinationRuleFor(name);
    switch (destination.rule) {
    case DestinationRule::Multi:
        destination.path = join(installDir, kMultiFolder, name);
        break;
    case DestinationRule::Profiles:
        destination.path = join(installDir, kProfilesFolder, name);
        break;
    case DestinationRule::System:
        destination.path = join(windowsDir, "system", name);
        destination.keepExisting = true;
        break;
    case DestinationRule::Windows:
        destination.path = join(windowsDir, {}, name);
        break;
    case DestinationRule::Install:
        destination.path = join(installDir, {}, name);
        break;
    }
    return destination;
}

} // namespace hx
