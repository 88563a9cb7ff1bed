#pragma once
// The directory browser: the fixed drives, a folder tree filled one level at a time, and the free
// space; Select closes it only on a drive with at least 70 MB free. DoModal returns IDOK with the
// chosen folder in m_strPath (a drive root ends in a backslash, other folders do not).

#include "controls.h"
#include "dialog.h"
#include "resource.h"

#include <string>

class CDirBrowseDlg : public CDialog {
public:
    enum { IDD = IDD_DIR_BROWSE };

    explicit CDirBrowseDlg(CWnd* parent = nullptr);

    CStatic m_staticSpace;
    CTreeCtrl m_tree;
    CComboBox m_comboDrive;
    BOOL m_bExpandPending = FALSE;
    CImageList m_imageList;
    std::string m_strDrive;
    std::string m_strItemText;
    std::string m_strPath;
    HTREEITEM m_hClickedItem = nullptr;
    HTREEITEM m_hCurrentItem = nullptr;
    HTREEITEM m_hParentItem = nullptr;
    int m_nFreeMB = 0;
    std::string m_strStartDir;
};
