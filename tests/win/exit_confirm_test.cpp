// The exit confirmation: the focus it opens with and the result of each way of answering it.
#include "exit_confirm_dlg.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

namespace {
// Enter presses the focused button, Resume.
TEST(ExitConfirmDialog, OnlyExitLeavesAndResumeHasTheFocusAtOpen) {
    using A = uitest::ConfirmAnswer;
    for (const A answer : {A::Exit, A::Resume, A::Escape, A::Enter, A::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(answer));
        uitest::User user;
        user.answers = {answer};
        user.atQuestion = [](HWND) { EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL); };
        EXPECT_EQ(CExitConfirmDlg().DoModal(), answer == A::Exit ? IDOK : IDCANCEL);
        EXPECT_EQ(user.questions, 1) << "seen when it opened and answered once";
    }
}

} // namespace
