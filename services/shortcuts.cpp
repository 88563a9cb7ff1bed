#include "shortcuts.h"

#include "handles.h"
#include "paths.h"
#include "product.h"
#include "registry_records.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace {
// The shell-link object and the two interfaces used, defined here rather than taken from the uuid
// library, whose one object file holds every interface identifier the platform has.
constexpr CLSID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kPersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
} // namespace

ShortcutResult CreateShortcut(const char* target, const char* linkFile, const char* description,
                              const char* workingDir) {
    // The previous call left COM initialised once on this thread; balance it before starting anew.
    CoUninitialize();
    const HRESULT initialised = CoInitialize(nullptr);
    if (initialised != S_OK)
        return {initialised, true};

    CComPtr<IShellLinkA> link;
    const HRESULT created =
        CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface, link.Receive());
    if (FAILED(created))
        return {created};
    link->SetPath(target);
    link->SetDescription(description);
    link->SetWorkingDirectory(workingDir);

    CComPtr<IPersistFile> file;
    const HRESULT persist = link->QueryInterface(kPersistFileInterface, file.Receive());
    if (FAILED(persist))
        return {persist};
    WCHAR wideName[MAX_PATH] = {};
    // A name too long for the buffer is refused rather than saved under a cut-off path.
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, wideName, MAX_PATH) == 0)
        return {HRESULT_FROM_WIN32(GetLastError())};
    return {file->Save(wideName, TRUE)};
}

std::array<ShortcutSpec, 4> GroupShortcuts(const std::string& installDir, const std::string& systemRoot) {
    return {{
        {"HexbreakerDemo.lnk", JoinPath(installDir, kGameFile), "HexbreakerDemo", installDir},
        {"Screen.lnk", JoinPath(installDir, "screen.bmp"), "HexbreakerDemo", installDir},
        {"Readme.lnk", JoinPath(installDir, kReadmeFile), "HexbreakerDemo readme", installDir},
        {"Uninstall HexbreakerDemo.lnk", JoinPath(systemRoot, kUninstallerFile), "Uninstall HexbreakerDemo",
         systemRoot},
    }};
}
