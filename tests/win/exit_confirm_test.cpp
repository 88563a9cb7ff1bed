// The exit confirmation: the focus it opens with and the result of each way of answering it.
#include "app.h"
#include "exit_confirm_dlg.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
using uitest::ConfirmAnswer;

constexpr const char* kCaption = "Exit installation";

// Answers the exit confirmation once it shows, after `look` has seen it. Polls with thread
// timers, which the dialog's own modal loop runs.
void AnswerWhenShown(ConfirmAnswer answer, std::function<void(HWND)> look = {}, int attemptsLeft = 500) {
    uitest::RunSoon(
        [=] {
            HWND confirmation = uitest::FindThreadDialog(kCaption);
            if (!confirmation) {
                if (attemptsLeft > 0)
                    AnswerWhenShown(answer, look, attemptsLeft - 1);
                else
                    ADD_FAILURE() << "the exit confirmation did not show";
                return;
            }
            if (look)
                look(confirmation);
            uitest::AnswerExitConfirmation(confirmation, answer);
        },
        20);
}

TEST(ExitConfirmDialog, OnlyExitLeaves) {
    const struct {
        ConfirmAnswer answer;
        INT_PTR result;
    } cases[] = {
        {ConfirmAnswer::Exit, IDOK},
        {ConfirmAnswer::Resume, IDCANCEL},
        {ConfirmAnswer::Escape, IDCANCEL},
        {ConfirmAnswer::Enter, IDCANCEL}, // Enter presses the focused button, Resume
        {ConfirmAnswer::CloseBox, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        int focusedId = 0;
        std::string question;
        AnswerWhenShown(c.answer, [&](HWND confirmation) {
            focusedId = GetDlgCtrlID(GetFocus());
            const auto texts = uitest::StaticTexts(confirmation);
            question = texts.empty() ? std::string() : texts.front();
        });
        CExitConfirmDlg confirmation;
        EXPECT_EQ(confirmation.DoModal(), c.result);
        // Resume, the first tab stop, has the focus when the question opens.
        EXPECT_EQ(focusedId, IDCANCEL);
        EXPECT_EQ(question, "Are you sure to exit installation?");
    }
}

} // namespace
