#pragma once
// Starting programs by name, as the run-time library does: the program is looked up in the
// current directory, then along PATH, and started with its name and its argument (if any) joined
// by a single blank, without quotes.

#include <functional>
#include <string>

// The full path of program `name` (".exe" added to a name without extension): the first of
// `currentDir`, then each folder of `pathVariable` (";"-separated) in which `isFile` finds it;
// empty when none does.
std::string FindProgram(const std::string& name, const std::string& currentDir,
                        const std::string& pathVariable,
                        const std::function<bool(const std::string&)>& isFile);

// Starts `name` with `argument` and returns at once; false when it could not be started.
bool StartProgram(const char* name, const std::string& argument);

// Hands the process over to `name`, with `argument` when one is given: once that program has
// started, this process ends with status 0. Returns only when it could not be started.
void HandOverToProgram(const char* name, const char* argument = nullptr);
