#include "sound_cues.h"

#include "dll_search.h"
#include "paths.h"

#include <mmsystem.h>

namespace {
// The wave player of the system folder's winmm, loaded on the first cue. No cue plays where it
// cannot be loaded. A cue still playing when the program ends is stopped before winmm goes.
class CCuePlayer {
public:
    CCuePlayer() = default;
    CCuePlayer(const CCuePlayer&) = delete;
    CCuePlayer& operator=(const CCuePlayer&) = delete;
    ~CCuePlayer() {
        if (m_play)
            m_play(nullptr, 0);
    }

    BOOL Play(const std::string& path, UINT flags) const {
        return m_play ? m_play(path.c_str(), flags) : FALSE;
    }

private:
    CSystemDll m_winmm{"winmm.dll"};
    decltype(&sndPlaySoundA) m_play = m_winmm.GetProc<decltype(&sndPlaySoundA)>("sndPlaySoundA");
};
} // namespace

std::string CuePath(const std::string& sourceDir, const char* fileName) {
    return sourceDir.empty() ? std::string(fileName) : JoinPath(sourceDir, fileName);
}

BOOL PlayCue(const std::string& sourceDir, const char* fileName, UINT flags) {
    static const CCuePlayer player;
    return player.Play(CuePath(sourceDir, fileName), flags);
}
