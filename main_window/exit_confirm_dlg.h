#pragma once
// The question between a Cancel and the end of an install: "Are you sure to exit installation?"
// DoModal returns IDOK for Exit; Resume, Escape and the close box give IDCANCEL. Callers go on
// as before on IDCANCEL only and treat every other result as the wish to leave.

#include "dialog.h"
#include "resource.h"

class CExitConfirmDlg : public CDialog {
public:
    enum { IDD = IDD_EXIT_CONFIRM };

    explicit CExitConfirmDlg(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
};
