#pragma once
// The directory browser: the fixed drives, a folder tree filled one level at a time, and the free
// space; Select closes it only on a drive with at least 70 MB free. DoModal returns IDOK with the
// chosen folder in m_strPath (a drive root ends in a backslash, other folders do not).
//
// The tree holds one root item (the drive), a chain of single children down to the current folder,
// and that folder's subfolders. Items carry only their label; an item's path is rebuilt from the
// labels of its ancestors. Each listed folder becomes the process's current directory, which is
// never restored.

#include "controls.h"
#include "dialog.h"
#include "resource.h"

#include <string>
#include <vector>

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
    // The folder the program was started from, where its cue is: set before DoModal.
    std::string m_strSourceDir;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

    void FillDrives();
    void BuildPathChain(const std::string& path);
    void InsertPathItem(const std::string& label, HTREEITEM& item);
    void ListSubfolders();
    void MeasureFreeSpace(const std::string& root);
    void ResetToDrive();
    bool ChangeDrive();
    void PathFromItem();
    void RemoveSiblings(HTREEITEM item);

    void OnDblclkTree(const NMHDR* header, LRESULT* result);
    void OnSelchangeDrive();

private:
    // Adds the subfolders to the current item in the tree's own order; true when there was any.
    bool InsertSubfolders(std::vector<std::string> names);
};
