#pragma once
// One running copy of a program, marked by a named mutex.

// Creates the mutex `name`, owned, and keeps it until the process ends: the system then removes
// it, however the process ends. False when another process already holds it. A mutex that cannot
// be created at all counts as the first copy: the program then runs unprotected.
bool ClaimRunningCopy(const char* name);

// Restores the running copy's window of that caption if minimised and brings it, and the pop-up
// last active above it, to the top. Does nothing when no such window exists.
void BringRunningCopyForward(const char* caption);
