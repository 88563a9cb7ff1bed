// The framework layer: application name, message-box style, the modal loop's two ends,
// owners of dialogs made without a parent, file errors and their reports.
#include "app.h"
#include "dialog.h"
#include "file.h"
#include "resource.h"
#include "ui_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Any template serves: these tests exercise the loop, not the controls.
class PlainDialog : public CDialog {
public:
    explicit PlainDialog(CWnd* parent = nullptr) : CDialog(IDD_SETUP_MAIN, parent) {}
};

TEST(AppName, IsTheProgramFileBaseName) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"D:\\setup.exe", "setup"},
        {"D:\\SETUP.EXE", "SETUP"},
        {"C:\\games\\cd.v2\\Setup.exe", "Setup"},
        {"setup", "setup"},
        {"C:\\x\\my.setup.exe", "my.setup"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppNameFromModulePath(c.path), c.name) << c.path;
    EXPECT_STREQ(AfxGetAppName(), "framework_tests");
}

TEST(AfxMessageBoxStyle, AddsTheExclamationToOkBoxesWithoutIcon) {
    const struct {
        UINT given;
        UINT shown;
    } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_OK | MB_ICONHAND, MB_OK | MB_ICONHAND},
        {MB_YESNO, MB_YESNO},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_OKCANCEL | MB_ICONQUESTION, MB_OKCANCEL | MB_ICONQUESTION},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AfxMessageBoxStyle(c.given), c.shown) << std::hex << c.given;
}

TEST(ModalLoop, EndDialogReturnsItsResult) {
    PlainDialog dialog;
    uitest::RunSoon([&] { dialog.EndDialog(5); });
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

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
    AfxGetApp()->m_pMainWnd = &main;
    uitest::RunSoon([&] {
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
    EXPECT_NE(innerOwner, nullptr);
    EXPECT_EQ(innermostOwner, innerHwnd) << "the pop-up last active above the main window";
}

class ThrowingDialog : public PlainDialog {
public:
    int timerCalls = 0;

protected:
    bool OnTimer(UINT_PTR id) override {
        ++timerCalls;
        KillTimer(id);
        throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED);
    }
};

TEST(ModalLoop, UncaughtFileErrorIsReportedAndTheWindowGoesOn) {
    ThrowingDialog dialog;
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
    EXPECT_EQ(box.text, "Access to an unnamed file was denied.");
    EXPECT_EQ(box.caption, "framework_tests");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(dialog.timerCalls, 1);
}

TEST(FileException, WordingFollowsThePlatformError) {
    const struct {
        LONG osError;
        int cause;
        const char* text;
    } cases[] = {
        {ERROR_ACCESS_DENIED, CFileException::accessDenied, "Access to an unnamed file was denied."},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation,
         "A sharing violation occurred while accessing an unnamed file."},
        {ERROR_DISK_FULL, CFileException::diskFull, "Disk full while accessing an unnamed file."},
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound, "an unnamed file was not found."},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath, "an unnamed file contains an invalid path."},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation,
         "A locking violation occurred while accessing an unnamed file."},
        {12345, CFileException::genericException,
         "An unknown error occurred while accessing an unnamed file."},
    };
    for (const auto& c : cases) {
        const CFileException error(CFileException::OsErrorToException(c.osError), c.osError);
        EXPECT_EQ(error.m_cause, c.cause) << c.osError;
        EXPECT_EQ(error.GetErrorMessage(), c.text) << c.osError;
    }
    EXPECT_EQ(CFileException(CFileException::accessDenied, 5, "C:\\x.txt").GetErrorMessage(),
              "Access to C:\\x.txt was denied.");
}

TEST(File, OpenReportsFailureByResultAndTheRestThrows) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "hx_framework_file.bin";
    std::remove(path.c_str());

    CFile file;
    CFileException openError(CFileException::none, 0);
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead, &openError));
    EXPECT_EQ(openError.m_cause, CFileException::fileNotFound);

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("hexbreaker", 10);
    file.Close();
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(status.m_size, 10u);

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    char text[16] = {};
    file.Seek(3, CFile::begin);
    EXPECT_EQ(file.Read(text, sizeof text), 7u);
    EXPECT_STREQ(text, "breaker");
    EXPECT_THROW(file.Write("x", 1), CFileException) << "opened for reading only";
    file.Close();

    CFile::Remove(path.c_str());
    EXPECT_FALSE(CFile::GetStatus(path.c_str(), status));
    try {
        CFile::Remove(path.c_str());
        FAIL() << "removing a missing file throws";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    }
}

} // namespace
