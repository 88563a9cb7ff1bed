// The exit confirmation: the focus it opens with and the result of each way of answering it.
#include "app.h"
#include "exit_confirm_dlg.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

namespace {
using uitest::ConfirmAnswer;

TEST(ExitConfirmDialog, OnlyExitLeavesAndResumeHasTheFocusAtOpen) {
    const std::pair<ConfirmAnswer, INT_PTR> cases[] = {
        {ConfirmAnswer::Exit, IDOK},
        {ConfirmAnswer::Resume, IDCANCEL},
        {ConfirmAnswer::Escape, IDCANCEL},
        {ConfirmAnswer::Enter, IDCANCEL}, // Enter presses the focused button, Resume
        {ConfirmAnswer::CloseBox, IDCANCEL},
    };
    for (const auto& [answer, result] : cases) {
        SCOPED_TRACE(static_cast<int>(answer));
        uitest::User user;
        user.answers = {answer};
        int focusedId = 0;
        std::vector<std::string> texts;
        user.atQuestion = [&](HWND confirmation) {
            focusedId = GetDlgCtrlID(GetFocus());
            texts = uitest::StaticTexts(confirmation);
        };
        EXPECT_EQ(CExitConfirmDlg().DoModal(), result);
        EXPECT_EQ(user.questions, 1);
        EXPECT_EQ(focusedId, IDCANCEL);
        EXPECT_EQ(texts, std::vector<std::string>{"Are you sure to exit installation?"});
    }
}

} // namespace
