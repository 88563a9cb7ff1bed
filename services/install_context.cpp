#include "install_context.h"

const IInstallContext* FindInstallContext(const CWnd* window) {
    for (const CWnd* owner = window; owner; owner = owner->GetOwner())
        if (const auto* context = dynamic_cast<const IInstallContext*>(owner))
            return context;
    return nullptr;
}
