#include "pack_names.h"

#include "pack_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace hx {
namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows drops trailing dots and spaces from path components, so ". ." or "..." may end up as "..".
bool isParentReference(std::string_view component) {
    const bool onlyDotsAndSpaces =
        std::all_of(component.begin(), component.end(), [](char c) { return c == '.' || c == ' '; });
    return onlyDotsAndSpaces && std::count(component.begin(), component.end(), '.') >= 2;
}

std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

// "nul", "NUL.txt" and "com1 .dat" all open a device: the part before the first dot counts, trailing
// spaces dropped.
bool isDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    static const std::array<const char*, 7> plainDevices = {"CON",    "PRN",     "AUX",   "NUL",
                                                            "CONIN$", "CONOUT$", "CLOCK$"};
    const std::string upper = upperCase(base);
    if (std::find(plainDevices.begin(), plainDevices.end(), upper) != plainDevices.end()) {
        return true;
    }
    const bool numberedPort =
        upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0);
    return numberedPort && upper[3] >= '1' && upper[3] <= '9';
}

PackFault checkComponents(std::string_view name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) {
            ++end;
        }
        const std::string_view component = name.substr(start, end - start);
        if (isParentReference(component)) {
            return PackFault::NameHasParentComponent;
        }
        if (isDeviceName(component)) {
            return PackFault::NameIsDevice;
        }
        start = end + 1;
    }
    return PackFault::None;
}

} // namespace

PackFault checkEntryName(std::string_view name) {
    if (name.empty()) {
        return PackFault::NameEmpty;
    }
    if (name.size() > kMaxNameLength) {
        return PackFault::NameTooLong;
    }
    if (name.find('\0') != std::string_view::npos) {
        return PackFault::NameHasZeroByte;
    }
    const bool hasControl = std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 1 && byte <= 31;
    });
    if (hasControl) {
        return PackFault::NameHasControlCharacter;
    }
    if (name.find(':') != std::string_view::npos) {
        return PackFault::NameHasColon;
    }
    if (isSeparator(name.front())) {
        return PackFault::NameIsRooted;
    }
    return checkComponents(name);
}

} // namespace hx
