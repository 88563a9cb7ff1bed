#pragma once
// Names and codes of the product that several parts of the program share.

// The main window's caption; a second copy finds the first one's window by it.
constexpr const char* kMainWindowCaption = "HexbreakerDemo Installer";
// The exit code of the quit message that ends the program (Exit, the end of an install, a
// completed removal, a fatal copy error).
constexpr int kQuitExitCode = 18;
// The product folder appended to the chosen destination, and the program group's name.
constexpr const char* kProductFolder = "HexbreakerDemo";
// The game's read-me in the install directory: a shortcut of the group, and offered after an install.
constexpr const char* kReadmeFile = "readme.txt";
