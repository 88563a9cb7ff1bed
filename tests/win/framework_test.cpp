// The framework layer: the modal loop's two ends, owners of dialogs made without a parent, the
// barrier that keeps exceptions out of the window procedure.
#include "app.h"
#include "dialog.h"
#include "file.h"
#include "resource.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

// Any template serves: these tests exercise the loop, not the controls.
class PlainDialog : public CDialog {
public:
    explicit PlainDialog(CWnd* parent = nullptr) : CDialog(IDD_SETUP_MAIN, parent) {}
};

TEST(ModalLoop, QuitMessageEndsNestedLoopsAndKeepsItsCode) {
    PlainDialog outer;
    INT_PTR innerResult = 0;
    uitest::RunSoon([&] {
        PlainDialog inner;
        uitest::RunSoon([] { PostQuitMessage(7); });
        innerResult = inner.DoModal();
    });
    EXPECT_EQ(outer.DoModal(), -1);
    EXPECT_EQ(innerResult, -1);
    EXPECT_EQ(AfxGetApp()->m_nExitCode, 7);
    EXPECT_EQ(uitest::TakeQuitMessage(), 7) << "the quit goes on to the loops outside";
    AfxGetApp()->m_nExitCode = 0;
}

TEST(ModalLoop, DialogWithoutParentIsOwnedByTheMainWindowOrItsLastActivePopup) {
    PlainDialog main;
    HWND innerOwner = nullptr;
    HWND innermostOwner = nullptr;
    HWND innerHwnd = nullptr;
    HWND mainHwnd = nullptr;
    AfxGetApp()->m_pMainWnd = &main;
    uitest::RunSoon([&] {
        mainHwnd = main.m_hWnd;
        PlainDialog inner;
        uitest::RunSoon([&] {
            innerHwnd = inner.m_hWnd;
            innerOwner = inner.GetOwnerHwnd();
            EXPECT_FALSE(IsWindowEnabled(main.m_hWnd)) << "the owner is disabled while a dialog runs";
            PlainDialog innermost;
            uitest::RunSoon([&] {
                innermostOwner = innermost.GetOwnerHwnd();
                innermost.EndDialog(IDOK);
            });
            innermost.DoModal();
            inner.EndDialog(IDOK);
        });
        inner.DoModal();
        EXPECT_TRUE(IsWindowEnabled(main.m_hWnd));
        main.EndDialog(IDOK);
    });
    main.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    ASSERT_NE(mainHwnd, nullptr);
    EXPECT_EQ(innerOwner, mainHwnd);
    EXPECT_EQ(innermostOwner, innerHwnd) << "the pop-up last active above the main window";
}

// Throws from its timer handler whatever it is given.
class ThrowingDialog : public PlainDialog {
public:
    explicit ThrowingDialog(std::function<void()> thrower) : m_thrower(std::move(thrower)) {}
    int timerCalls = 0;

protected:
    bool OnTimer(UINT_PTR id) override {
        ++timerCalls;
        KillTimer(id);
        m_thrower();
        return true;
    }

private:
    std::function<void()> m_thrower;
};

TEST(ExceptionBarrier, ReportsWhateverAHandlerThrowsAndTheWindowGoesOn) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED); },
         "Access to an unnamed file was denied."},
        {[] { throw std::bad_alloc(); }, "Out of memory."},
        {[] { throw std::runtime_error("standard"); }, "An unsupported operation was attempted."},
        {[] { throw 42; }, "An unsupported operation was attempted."},
    };
    for (const auto& [thrower, text] : cases) {
        SCOPED_TRACE(text);
        ThrowingDialog dialog(thrower);
        auto seen = uitest::AnswerNextMessageBox(IDOK);
        uitest::RunSoon([&] { dialog.SetTimer(1, 10); });
        // The dialog still runs after the report: it is ended only once the box has been answered.
        std::function<void()> endWhenAnswered = [&] {
            if (seen.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                dialog.EndDialog(9);
            else
                uitest::RunSoon(endWhenAnswered, 50);
        };
        uitest::RunSoon(endWhenAnswered, 50);
        EXPECT_EQ(dialog.DoModal(), 9);
        const auto box = seen.get();
        ASSERT_TRUE(box.shown);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "framework_tests");
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(dialog.timerCalls, 1);
    }
}

} // namespace
