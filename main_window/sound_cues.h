#pragma once
// The spoken cues that accompany an install: wave files named by bare file name on the CD.

#include <windows.h>

#include <string>

constexpr const char* kCueInstallInitialize = "VocInstallInitialize.wav";
constexpr const char* kCueInstallStandby = "VocInstallStandby.wav";
constexpr const char* kCueInstallComplete = "VocInstallComplete.wav";
constexpr const char* kCueNotEnoughSpace = "VocHarddiskNotenogh.wav";

// Where a cue is looked for: in the source directory (the CD's folder), so that the CD's own cues
// play whatever the current directory is; the bare name when the source directory is unknown.
std::string CuePath(const std::string& sourceDir, const char* fileName);

// Plays a cue from the source directory `sourceDir` with the given flags (SND_ASYNC or SND_SYNC); a
// missing file plays the system's default sound. FALSE, and no sound, when the system's wave player
// (winmm) cannot be loaded.
BOOL PlayCue(const std::string& sourceDir, const char* fileName, UINT flags);
