#pragma once
// The application object: one running copy at a time, the main window run modally.

#include "app.h"
#include "product.h"

// Name of the mutex that marks a running copy.
constexpr const char* kSingleInstanceMutex = "PreventSecondInstance";

class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
