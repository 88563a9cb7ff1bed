#include "sound_cues.h"

#include "app.h"
#include "main_dlg.h"
#include "paths.h"

#include <mmsystem.h>

std::string CuePath(const std::string& sourceDir, const char* fileName) {
    return sourceDir.empty() ? std::string(fileName) : JoinPath(sourceDir, fileName);
}

BOOL PlayCue(const char* fileName, UINT flags) {
    const auto* main = dynamic_cast<const CSetupMainDlg*>(AfxGetMainWnd());
    const std::string path = CuePath(main ? main->m_strSourceDir : std::string(), fileName);
    return sndPlaySoundA(path.c_str(), flags);
}
