// The framework's exception barrier, the fallbacks of functions older Windows lack and paths in
// double-byte code pages (the modal loop and dialog owners: through the copy dialog's tests).
#include "app.h"
#include "browse_rules.h"
#include "copy_progress.h"
#include "dialog.h"
#include "file.h"
#include "install_dir_dlg.h"
#include "paths.h"
#include "resource.h"
#include "tick_count.h"
#include "ui_helpers.h"
#include "vectored_handlers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <tuple>

namespace {
using Names = std::vector<std::string>;

// Folders whose last character's second byte is 0x5C: E:\表 and E:\ソ\ (932), E:\功 (950), E:\丂
// (936); ASCII folders; and the bytes of E:\表 in the single-byte 1252, where they end in a backslash.
// Run with HX_EXPECT_ACP (LANG=ja_JP.UTF-8 gives 932), the rows of the process's code page also go
// through the program's own callers, which use the process's code page.
TEST(DoubleBytePaths, JoinSplitAndDriveRootsStepOverWholeCharacters) {
    const char* expected = std::getenv("HX_EXPECT_ACP");
    const UINT acp = expected ? static_cast<UINT>(std::atoi(expected)) : 0;
    ASSERT_TRUE(!expected || GetACP() == acp)
        << "the ANSI code page is " << GetACP() << ", not " << expected
        << ": the host has no such locale (localedef) or LC_ALL overrides LANG";
    const struct {
        UINT codePage;
        std::string folder;
        bool endsWithBackslash;
        std::string installDir, last;
        Names pieces;
    } rows[] = {
        {932, "E:\\\x95\x5C", false, "E:\\\x95\x5C\\HexbreakerDemo", "\x95\x5C", {"E:", "\x95\x5C"}},
        {932, "E:\\\x83\x5C\\", true, "E:\\\x83\x5C\\HexbreakerDemo", "", {"E:", "\x83\x5C"}},
        {932, "D:\\", true, "D:\\HexbreakerDemo", "", {"D:"}},
        {932, "C:\\GAMES", false, "C:\\GAMES\\HexbreakerDemo", "GAMES", {"C:", "GAMES"}},
        {950, "E:\\\xA5\x5C", false, "E:\\\xA5\x5C\\HexbreakerDemo", "\xA5\x5C", {"E:", "\xA5\x5C"}},
        {950, "E:\\GAMES\\", true, "E:\\GAMES\\HexbreakerDemo", "", {"E:", "GAMES"}},
        {936, "E:\\\x81\x5C", false, "E:\\\x81\x5C\\HexbreakerDemo", "\x81\x5C", {"E:", "\x81\x5C"}},
        {1252, "E:\\\x95\x5C", true, "E:\\\x95\x5CHexbreakerDemo", "", {"E:", "\x95"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.codePage << " " << row.folder);
        EXPECT_EQ(EndsWithBackslash(row.folder, row.codePage), row.endsWithBackslash);
        EXPECT_EQ(JoinPath(row.folder, "HexbreakerDemo", row.codePage), row.installDir);
        EXPECT_EQ(LastPathComponent(row.folder, row.codePage), row.last);
        if (row.codePage != acp)
            continue;
        EXPECT_EQ(InstallDirForFolder(row.folder), row.installDir);
        EXPECT_EQ(SplitPathPieces(row.folder), row.pieces);
        EXPECT_EQ(AppNameFromModulePath(row.folder + "\\setup.exe"), "setup");
        if (!row.last.empty()) {
            EXPECT_EQ(AppNameFromModulePath(row.folder + ".exe"), row.last);
        }
    }
    // A 248-byte folder part, then a name with a 0x5C trail byte: the folder part is within its limit.
    if (expected) {
        EXPECT_FALSE(DestinationTooLong(std::string(248, 'f') + "\\\x95\x5C" + "n"));
    }
}

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

TEST(TickCount64, ExtendsTheTickCountAcrossWraps) {
    constexpr std::uint64_t wrap = std::uint64_t{1} << 32;
    const std::tuple<std::uint32_t, std::uint64_t, std::uint64_t> cases[] = {
        {5, 0, 5},
        {0xFFFFFFFF, 0xFFFFFFF0, 0xFFFFFFFF},
        {3, 0xFFFFFFF0, wrap + 3},
        {3, 2 * wrap + 0xFFFFFFF0, 3 * wrap + 3},
        {7, 2 * wrap + 7, 2 * wrap + 7}};
    for (const auto& [now, previous, expected] : cases)
        EXPECT_EQ(compat::ExtendTickCount(now, previous), expected) << now << " after " << previous;
}

// kernel32's own functions where it exports them; where the look-up fails (user32 or no module stands
// in for an older kernel32) the 32-bit count extended, and vectored handlers that register nothing.
TEST(RunTimeLookUps, Kernel32sOwnFunctionsElseTheFallbacks) {
    for (const char* module : {"kernel32.dll", "user32.dll", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(module ? module : "no module");
        const HMODULE kernel32 = module ? GetModuleHandleA(module) : nullptr;
        const bool real = module && std::string(module) == "kernel32.dll";
        const compat::TickCount64Function tickCount64 = compat::ResolveTickCount64(kernel32);
        EXPECT_EQ(tickCount64 == &compat::TickCount64FromTickCount, !real);
        const ULONGLONG before = GetTickCount(), first = tickCount64(), second = tickCount64();
        EXPECT_TRUE(real || (before <= first && first <= second && second <= GetTickCount()));

        const auto add = compat::ResolveAddVectoredHandler(kernel32);
        const auto remove = compat::ResolveRemoveVectoredHandler(kernel32);
        EXPECT_EQ(add == &compat::AddNoVectoredHandler, !real);
        EXPECT_EQ(remove == &compat::RemoveNoVectoredHandler, !real);
        EXPECT_TRUE(real || (add(1, nullptr) == nullptr && remove(nullptr) == 0)); // nothing registered
    }
}
