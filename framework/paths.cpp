#include "paths.h"

#include <cstring>

size_t NextCharOffset(const std::string& text, size_t offset, UINT codePage) {
    if (offset >= text.size())
        return text.size();
    const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[offset])) != FALSE;
    // A lead byte at the very end (a cut name) is a character of its own.
    return lead && offset + 2 <= text.size() ? offset + 2 : offset + 1;
}

size_t FindSeparator(const std::string& path, size_t start, const char* separators, UINT codePage) {
    for (size_t at = start; at < path.size(); at = NextCharOffset(path, at, codePage)) {
        if (path[at] != '\0' && std::strchr(separators, path[at]))
            return at;
    }
    return std::string::npos;
}

size_t FindLastSeparator(const std::string& path, const char* separators, UINT codePage) {
    size_t last = std::string::npos;
    for (size_t at = FindSeparator(path, 0, separators, codePage); at != std::string::npos;
         at = FindSeparator(path, at + 1, separators, codePage))
        last = at; // a separator is one byte: the next character starts right after it
    return last;
}

bool EndsWithBackslash(const std::string& path, UINT codePage) {
    return !path.empty() && FindLastSeparator(path, "\\", codePage) == path.size() - 1;
}

std::string JoinPath(const std::string& directory, const std::string& name, UINT codePage) {
    if (EndsWithBackslash(directory, codePage))
        return directory + name;
    return directory + "\\" + name;
}

std::string LastPathComponent(const std::string& path, UINT codePage) {
    const size_t separator = FindLastSeparator(path, "\\/:", codePage);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
