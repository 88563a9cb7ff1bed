#include "program_start.h"

#include "paths.h"

#include <windows.h>

#include <process.h>

#include <algorithm>

namespace {
// The library's own path search (_spawnlp, _execlp) finds a program only once per process under
// Wine: every later search fails. So the search is done here, in the library's order, and the
// library starts the program by its full path.
std::string LookUp(const char* name) {
    char currentDir[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, currentDir);
    std::string path(32767, '\0');
    path.resize(GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())));
    const auto isFile = [](const std::string& candidate) {
        const DWORD attributes = GetFileAttributesA(candidate.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    return FindProgram(name, length < MAX_PATH ? std::string(currentDir, length) : std::string(), path,
                       isFile);
}
} // namespace

std::string FindProgram(const std::string& name, const std::string& currentDir,
                        const std::string& pathVariable,
                        const std::function<bool(const std::string&)>& isFile) {
    const std::string file = name.find('.') == std::string::npos ? name + ".exe" : name;
    std::string folders = currentDir + ";" + pathVariable;
    for (size_t start = 0; start <= folders.size();) {
        const size_t end = std::min(folders.find(';', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && isFile(JoinPath(folder, file)))
            return JoinPath(folder, file);
        start = end + 1;
    }
    return {};
}

bool StartProgram(const char* name, const std::string& argument) {
    const std::string program = LookUp(name);
    return !program.empty() && _spawnl(_P_NOWAIT, program.c_str(), name, argument.c_str(), nullptr) != -1;
}

void HandOverToProgram(const char* name, const char* argument) {
    const std::string program = LookUp(name);
    if (!program.empty())
        _execl(program.c_str(), name, argument, nullptr); // no argument: the list ends at once
}
