#pragma once
// What the dialogs of an install read from the window that runs it, when they open: where the CD's
// files are, where the game goes, and the Windows folder. The main window implements it; a dialog
// finds it by following its owners, so that it needs nothing of the window above it.

#include "window.h"

#include <string>

class IInstallContext {
public:
    virtual const std::string& SourceDir() const = 0;
    virtual const std::string& InstallDir() const = 0;
    virtual const std::string& SystemRoot() const = 0;

protected:
    ~IInstallContext() = default;
};

// The first of `window` and its owners, in order, that is an install context; null when none is.
const IInstallContext* FindInstallContext(const CWnd* window);
