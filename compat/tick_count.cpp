#include "tick_count.h"

#include "proc_address.h"

#include <atomic>

namespace compat {

std::uint64_t ExtendTickCount(std::uint32_t now, std::uint64_t previous) {
    const auto previousLow = static_cast<std::uint32_t>(previous);
    std::uint64_t high = previous & ~std::uint64_t{0xFFFFFFFF};
    if (now < previousLow)
        high += std::uint64_t{1} << 32;
    return high | now;
}

ULONGLONG WINAPI TickCount64FromTickCount() {
    static std::atomic<std::uint64_t> last{0};
    std::uint64_t previous = last.load();
    std::uint64_t extended = 0;
    do
        extended = ExtendTickCount(GetTickCount(), previous);
    while (extended > previous && !last.compare_exchange_weak(previous, extended));
    return extended > previous ? extended : previous;
}

TickCount64Function ResolveTickCount64(HMODULE kernel32) {
    const auto found = ProcAddress<TickCount64Function>(kernel32, "GetTickCount64");
    return found ? found : &TickCount64FromTickCount;
}

namespace {

// The first call through the import pointer resolves the function and points the import at it.
ULONGLONG WINAPI FirstTickCount64Call();

} // namespace

} // namespace compat

// The import pointer itself: what the thread library's "call through __imp_GetTickCount64" reads.
// Defined here, the linker takes no GetTickCount64 from kernel32's import library.
#if defined(_WIN64)
#define HX_TICK_COUNT64_IMPORT "__imp_GetTickCount64"
#else
#define HX_TICK_COUNT64_IMPORT "__imp__GetTickCount64@0"
#endif
extern "C" {
extern std::atomic<compat::TickCount64Function> hxTickCount64Import __asm__(HX_TICK_COUNT64_IMPORT);
std::atomic<compat::TickCount64Function> hxTickCount64Import{&compat::FirstTickCount64Call};
}

namespace compat {
namespace {

ULONGLONG WINAPI FirstTickCount64Call() {
    const TickCount64Function resolved = ResolveTickCount64(GetModuleHandleA("kernel32.dll"));
    hxTickCount64Import.store(resolved);
    return resolved();
}

} // namespace
} // namespace compat
