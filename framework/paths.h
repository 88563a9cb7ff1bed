#pragma once
// Path building, the one way every part of the program joins a folder and a name. Plain logic.

#include <string>

// `directory` + "\" + `name`, without doubling a trailing backslash (a drive root such as "D:\").
std::string JoinPath(const std::string& directory, const std::string& name);
