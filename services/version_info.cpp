#include "version_info.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {
// One node of the resource: a length, a value, a key, then its children, each on a 4-byte boundary
// counted from the start of the resource.
struct Node {
    std::size_t end = 0;
    std::u16string key;
    std::size_t value = 0;      // where the value starts
    std::size_t valueBytes = 0; // its size: characters for text (type 1), bytes otherwise
    std::size_t children = 0;   // where the first child starts
};

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

unsigned Word(const std::uint8_t* data, std::size_t offset) {
    return data[offset] | (data[offset + 1] << 8);
}

// Reads the node at `begin`, which must end by `limit`; false when it does not fit.
bool ReadNode(const std::uint8_t* data, std::size_t begin, std::size_t limit, Node& node) {
    if (begin + 6 > limit)
        return false;
    const unsigned length = Word(data, begin);
    const unsigned valueLength = Word(data, begin + 2);
    const unsigned type = Word(data, begin + 4);
    if (length < 6 || begin + length > limit)
        return false;
    node.end = begin + length;
    node.key.clear();
    std::size_t at = begin + 6;
    for (; at + 2 <= node.end && Word(data, at) != 0; at += 2)
        node.key.push_back(static_cast<char16_t>(Word(data, at)));
    if (at + 2 > node.end)
        return false; // no end of the key
    node.value = Align4(at + 2);
    node.valueBytes = type == 1 ? valueLength * 2u : valueLength;
    if (node.value + node.valueBytes > node.end)
        node.valueBytes = node.value < node.end ? node.end - node.value : 0;
    node.children = Align4(node.value + node.valueBytes);
    return true;
}

// Calls `visit` with each child of `parent` until it returns true; true when one did.
template <typename Visit> bool ForEachChild(const std::uint8_t* data, const Node& parent, Visit visit) {
    Node child;
    for (std::size_t at = parent.children; ReadNode(data, at, parent.end, child); at = Align4(child.end)) {
        if (visit(child))
            return true;
    }
    return false;
}

std::u16string Wide(const char* text) {
    std::u16string wide;
    for (; *text; ++text)
        wide.push_back(static_cast<unsigned char>(*text));
    return wide;
}

std::string Narrow(const std::uint8_t* data, const Node& node) {
    // A vector, not std::wstring: the wide string's library code would add some 35 KB to setup.exe.
    std::vector<wchar_t> wide;
    for (std::size_t at = node.value; at + 2 <= node.value + node.valueBytes && Word(data, at) != 0; at += 2)
        wide.push_back(static_cast<wchar_t>(Word(data, at)));
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}
} // namespace

std::string FindVersionText(const std::uint8_t* data, std::size_t size, const char* name) {
    Node root;
    if (!data || !ReadNode(data, 0, size, root) || root.key != u"VS_VERSION_INFO")
        return {};
    const std::u16string wanted = Wide(name);
    std::string found;
    ForEachChild(data, root, [&](const Node& info) {
        return info.key == u"StringFileInfo" && ForEachChild(data, info, [&](const Node& table) {
                   // The first string table, whatever its language.
                   ForEachChild(data, table, [&](const Node& text) {
                       if (text.key != wanted)
                           return false;
                       found = Narrow(data, text);
                       return true;
                   });
                   return true;
               });
    });
    return found;
}

std::string OwnVersionText(const char* name) {
    const HRSRC resource =
        FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    const HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return FindVersionText(static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, resource), name);
}
