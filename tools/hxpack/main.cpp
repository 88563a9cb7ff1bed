// hxpack: creates, lists, extracts and verifies the game's pack files.
#include "commands.h"
#include "host_file.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return hx::runHxpack(args, std::cout, std::cerr, {hx::stderrIsTerminal()});
}
