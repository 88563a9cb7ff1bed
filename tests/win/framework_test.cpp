// The framework's exception barrier and the 64-bit tick count's fallback. The modal loop's ends and the
// owners of dialogs made without a parent are checked through the copy dialog's tests.
#include "dialog.h"
#include "file.h"
#include "resource.h"
#include "tick_count.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>

namespace {

// Any template serves: the test exercises the barrier, not the controls. A timer runs `onTimer` once.
struct PlainDialog : CDialog {
    PlainDialog() : CDialog(IDD_SETUP_MAIN) {}
    bool OnTimer(UINT_PTR id) override {
        KillTimer(id);
        onTimer();
        return true;
    }
    std::function<void()> onTimer;
};

TEST(ExceptionBarrier, ReportsWhateverAHandlerThrowsAndTheWindowGoesOn) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { throw CFileException(CFileException::accessDenied); }, "Access to an unnamed file was denied."},
        {[] { throw std::bad_alloc(); }, "Out of memory."},
        {[] { throw std::runtime_error("standard"); }, "An unsupported operation was attempted."},
        {[] { throw 42; }, "An unsupported operation was attempted."},
    };
    for (const auto& [thrower, text] : cases) {
        SCOPED_TRACE(text);
        PlainDialog dialog;
        dialog.onTimer = thrower;
        uitest::User user;
        uitest::RunSoon([&] { dialog.SetTimer(1, 10); });
        uitest::RunSoon([&] { dialog.EndDialog(9); }, 300); // the box is answered long before
        EXPECT_EQ(dialog.DoModal(), 9);
        EXPECT_EQ(user.boxes, std::vector<std::string>{std::string("hand framework_tests: ") + text});
    }
}

} // namespace

// The 64-bit tick count on systems without GetTickCount64: the 32-bit count and its wraps.
TEST(TickCount64, ExtendsTheTickCountAcrossWraps) {
    constexpr std::uint64_t wrap = std::uint64_t{1} << 32;
    const struct {
        std::uint32_t now;
        std::uint64_t previous, expected;
    } cases[] = {
        {5, 0, 5},
        {5, 5, 5},
        {0xFFFFFFFF, 0xFFFFFFF0, 0xFFFFFFFF},
        {3, 0xFFFFFFF0, wrap + 3},
        {3, 2 * wrap + 0xFFFFFFF0, 3 * wrap + 3},
        {7, 2 * wrap + 7, 2 * wrap + 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compat::ExtendTickCount(c.now, c.previous), c.expected) << c.now << " after " << c.previous;
}

// A system whose kernel32 lacks GetTickCount64 (user32 stands in for it) gets the extended 32-bit
// count; one that has it gets kernel32's own.
TEST(TickCount64, FallsBackToTheTickCountWhenTheLookUpFails) {
    const compat::TickCount64Function fallback = compat::ResolveTickCount64(GetModuleHandleA("user32.dll"));
    EXPECT_EQ(fallback, &compat::TickCount64FromTickCount);
    const ULONGLONG before = GetTickCount();
    const ULONGLONG first = fallback(), second = fallback();
    EXPECT_LE(before, first);
    EXPECT_LE(first, second);
    EXPECT_LE(second, ULONGLONG{GetTickCount()});
    EXPECT_NE(compat::ResolveTickCount64(GetModuleHandleA("kernel32.dll")),
              &compat::TickCount64FromTickCount);
    EXPECT_EQ(compat::ResolveTickCount64(nullptr), &compat::TickCount64FromTickCount);
}
