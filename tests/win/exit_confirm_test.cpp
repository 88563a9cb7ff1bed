// The exit confirmation: its template, the focus it opens with, its owner, and the result of
// each way of answering it.
#include "app.h"
#include "dialog_checks.h"
#include "exit_confirm_dlg.h"
#include "main_dlg.h"
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

TEST(ExitConfirmTemplate, IsTheSmallCaptionedQuestion) {
    const auto dialog = uitest::ReadDialogTemplate(IDD_EXIT_CONFIRM);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->style,
              static_cast<DWORD>(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
    EXPECT_EQ(dialog->caption, kCaption);
    EXPECT_EQ(dialog->x, 21); // centred over the 204 x 120 install dialogs that ask it
    EXPECT_EQ(dialog->y, 45);
    EXPECT_EQ(dialog->cx, 163);
    EXPECT_EQ(dialog->cy, 40);
    EXPECT_EQ(dialog->font, "System");
    EXPECT_EQ(dialog->pointSize, 9);

    const struct {
        int id;
        const char* windowClass;
        const char* text;
        DWORD kind; // the low style bits: button type or static alignment
        bool tabStop;
        short x, y, cx, cy;
    } expected[] = {
        {IDCANCEL, "Button", "Resume", BS_PUSHBUTTON, true, 92, 23, 42, 10},
        {IDOK, "Button", "Exit", BS_DEFPUSHBUTTON, true, 30, 23, 42, 10},
        {-1, "Static", "Are you sure to exit installation?", SS_LEFT, false, 7, 7, 149, 8},
    };
    ASSERT_EQ(dialog->controls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& control = dialog->controls[i];
        const auto& want = expected[i];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(control.windowClass, want.windowClass);
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ(control.style & 0x0F, want.kind);
        EXPECT_EQ((control.style & WS_TABSTOP) != 0, want.tabStop);
        EXPECT_TRUE(control.style & WS_VISIBLE);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.cx, want.cx);
        EXPECT_EQ(control.cy, want.cy);
    }
}

TEST(ExitConfirmDialog, OnlyExitLeaves) {
    const struct {
        ConfirmAnswer answer;
        INT_PTR result;
    } cases[] = {
        {ConfirmAnswer::Exit, IDOK},
        {ConfirmAnswer::Resume, IDCANCEL},
        {ConfirmAnswer::Escape, IDCANCEL},
        {ConfirmAnswer::CloseBox, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(uitest::ToString(c.answer));
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

TEST(ExitConfirmDialog, WithoutParentTheMainWindowOwnsIt) {
    CSetupMainDlg mainWindow;
    AfxGetApp()->m_pMainWnd = &mainWindow;
    HWND mainHwnd = nullptr;
    HWND owner = nullptr;
    BOOL ownerEnabled = TRUE;
    INT_PTR result = 0;
    uitest::RunSoon([&] {
        mainHwnd = mainWindow.m_hWnd;
        AnswerWhenShown(ConfirmAnswer::Resume, [&](HWND confirmation) {
            owner = GetWindow(confirmation, GW_OWNER);
            ownerEnabled = IsWindowEnabled(owner);
        });
        CExitConfirmDlg confirmation;
        result = confirmation.DoModal();
        mainWindow.EndDialog(IDCANCEL);
    });
    mainWindow.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_NE(mainHwnd, nullptr);
    EXPECT_EQ(owner, mainHwnd);
    EXPECT_FALSE(ownerEnabled); // modal: the owner waits
}

} // namespace
