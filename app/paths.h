#pragma once
// Path building shared by the operations. Plain logic, no window.

#include <string>

// `directory` + "\" + `name`, without doubling a trailing backslash (a drive root such as "D:\").
std::string JoinPath(const std::string& directory, const std::string& name);
