// The exit confirmation: the focus it opens with and the result of each way of answering it.
#include "app.h"
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
        int focusedId = 0;
        user.atQuestion = [&](HWND) { focusedId = GetDlgCtrlID(GetFocus()); };
        EXPECT_EQ(CExitConfirmDlg().DoModal(), answer == A::Exit ? IDOK : IDCANCEL);
        EXPECT_EQ(user.questions, 1);
        EXPECT_EQ(focusedId, IDCANCEL);
    }
}

} // namespace
