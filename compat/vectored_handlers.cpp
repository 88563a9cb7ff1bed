#include "vectored_handlers.h"

#include "proc_address.h"

#include <atomic>

namespace compat {

PVOID WINAPI AddNoVectoredHandler(ULONG, PVECTORED_EXCEPTION_HANDLER) {
    return nullptr;
}

ULONG WINAPI RemoveNoVectoredHandler(PVOID) {
    return 0;
}

namespace {

template <typename Function> Function Resolve(HMODULE kernel32, const char* name, Function fallback) {
    const auto found = ProcAddress<Function>(kernel32, name);
    return found ? found : fallback;
}

} // namespace

AddVectoredHandlerFunction ResolveAddVectoredHandler(HMODULE kernel32) {
    return Resolve(kernel32, "AddVectoredExceptionHandler", &AddNoVectoredHandler);
}

RemoveVectoredHandlerFunction ResolveRemoveVectoredHandler(HMODULE kernel32) {
    return Resolve(kernel32, "RemoveVectoredExceptionHandler", &RemoveNoVectoredHandler);
}

namespace {

// The first call through each import pointer resolves the function and points the import at it. The
// thread library makes its first call from its start-up callback, before the runtime is set up: only
// constant-initialised data and kernel32 are used.
PVOID WINAPI FirstAddVectoredHandlerCall(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
ULONG WINAPI FirstRemoveVectoredHandlerCall(PVOID cookie);

} // namespace

} // namespace compat

// The import pointers themselves, what "call through __imp_AddVectoredExceptionHandler" reads. Defined
// here, the linker takes neither function from kernel32's import library.
#if defined(_WIN64)
#define HX_ADD_VECTORED_IMPORT "__imp_AddVectoredExceptionHandler"
#define HX_REMOVE_VECTORED_IMPORT "__imp_RemoveVectoredExceptionHandler"
#else
#define HX_ADD_VECTORED_IMPORT "__imp__AddVectoredExceptionHandler@8"
#define HX_REMOVE_VECTORED_IMPORT "__imp__RemoveVectoredExceptionHandler@4"
#endif
extern "C" {
extern std::atomic<compat::AddVectoredHandlerFunction> hxAddVectoredImport __asm__(HX_ADD_VECTORED_IMPORT);
extern std::atomic<compat::RemoveVectoredHandlerFunction>
    hxRemoveVectoredImport __asm__(HX_REMOVE_VECTORED_IMPORT);
std::atomic<compat::AddVectoredHandlerFunction> hxAddVectoredImport{&compat::FirstAddVectoredHandlerCall};
std::atomic<compat::RemoveVectoredHandlerFunction> hxRemoveVectoredImport{
    &compat::FirstRemoveVectoredHandlerCall};
}

namespace compat {
namespace {

PVOID WINAPI FirstAddVectoredHandlerCall(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
    const AddVectoredHandlerFunction resolved = ResolveAddVectoredHandler(GetModuleHandleA("kernel32.dll"));
    hxAddVectoredImport.store(resolved);
    return resolved(first, handler);
}

ULONG WINAPI FirstRemoveVectoredHandlerCall(PVOID cookie) {
    const RemoveVectoredHandlerFunction resolved =
        ResolveRemoveVectoredHandler(GetModuleHandleA("kernel32.dll"));
    hxRemoveVectoredImport.store(resolved);
    return resolved(cookie);
}

} // namespace
} // namespace compat
