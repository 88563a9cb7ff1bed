// The hxpack command line: create, list, extract and verify game packs.
//
// Exit codes: 0 success; 1 a fault, reported as one line "hxpack: <file>: <fault>" on stderr; 2 a usage
// error, reported with the usage text.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace hx {

enum ExitCode { kExitOk = 0, kExitFault = 1, kExitUsage = 2 };

struct CliEnvironment {
    // Progress lines are drawn when stderr is a terminal, or with --progress.
    bool stderrIsTerminal = false;
};

// Runs one hxpack command; `args` excludes the program name.
int runHxpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const CliEnvironment& environment);

} // namespace hx
