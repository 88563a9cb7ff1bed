#include "dir_browse_dlg.h"

#include "app.h"
#include "browse_rules.h"
#include "file.h"
#include "sound_cues.h"

#include <mmsystem.h>

#include <vector>

namespace {
constexpr const char* kUnableToRead = "Unable to read.";
constexpr const char* kDriveLetters = "CDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kImageWidth = 16;
constexpr COLORREF kTransparent = RGB(255, 255, 255);
constexpr int kClosedFolderImage = 0;
constexpr int kOpenFolderImage = 1;
} // namespace

CDirBrowseDlg::CDirBrowseDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CDirBrowseDlg::DoDataExchange() {
    DDX_Control(IDC_FREE_SPACE, m_staticSpace);
    DDX_Control(IDC_FOLDER_TREE, m_tree);
    DDX_Control(IDC_DRIVE_COMBO, m_comboDrive);
}

BOOL CDirBrowseDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_imageList.Create(IDB_FOLDERS, kImageWidth, 0, kTransparent);
    m_tree.SetImageList(m_imageList, TVSIL_NORMAL);
    m_tree.SetIndent(0); // the control raises it to its own minimum
    FillDrives();
    return TRUE;
}

bool CDirBrowseDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_DRIVE_COMBO && code == CBN_SELCHANGE) {
        OnSelchangeDrive();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CDirBrowseDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_FOLDER_TREE && header.code == static_cast<UINT>(NM_DBLCLK)) {
        OnDblclkTree(&header, &result);
        return true;
    }
    return CDialog::OnNotify(header, result);
}

void CDirBrowseDlg::FillDrives() {
    const DWORD length = GetCurrentDirectoryA(0, nullptr);
    std::string startDir(length, '\0');
    startDir.resize(GetCurrentDirectoryA(length, startDir.data()));
    m_strStartDir = startDir;

    m_comboDrive.ResetContent();
    for (const char* letter = kDriveLetters; *letter; ++letter) {
        const std::string drive = std::string(1, *letter) + ":";
        if (GetDriveTypeA((drive + "\\").c_str()) == DRIVE_FIXED)
            m_comboDrive.AddString(drive);
    }
    const std::string startDrive = m_strStartDir.substr(0, 2);
    m_comboDrive.SelectString(-1, startDrive);

    m_strPath = m_strStartDir;
    m_strDrive = startDrive;
    BuildPathChain(m_strStartDir);
    ListSubfolders();
    MeasureFreeSpace(m_strPath.substr(0, 2) + "\\");
}

void CDirBrowseDlg::BuildPathChain(const std::string& path) {
    m_strPath = path;
    HTREEITEM item = nullptr;
    for (const auto& piece : SplitPathPieces(path)) {
        HTREEITEM above = item;
        InsertPathItem(piece, item);
        if (above)
            m_tree.Expand(above, TVE_EXPAND);
    }
    m_hCurrentItem = item;
}

void CDirBrowseDlg::InsertPathItem(const std::string& label, HTREEITEM& item) {
    item = m_tree.InsertItem(label, kClosedFolderImage, kOpenFolderImage, item ? item : TVI_ROOT);
}

void CDirBrowseDlg::ListSubfolders() {
    if (!SetCurrentDirectoryA(m_strPath.c_str())) {
        AfxMessageBox(kUnableToRead);
        return;
    }
    std::vector<std::string> names;
    CFileFind finder;
    if (finder.FindFile("*.*")) {
        BOOL more = TRUE;
        while (more) {
            more = finder.FindNextFile();
            if (finder.IsDirectory() && !finder.IsDots() && !IsRecycledFolder(finder.GetFileName()))
                names.push_back(finder.GetFileName());
        }
    } else {
        AfxMessageBox(kUnableToRead);
    }
    const bool insertedAny = InsertSubfolders(std::move(names));

    if (m_bExpandPending) {
        m_tree.Expand(m_hCurrentItem, TVE_TOGGLE);
        m_bExpandPending = FALSE;
    } else if (m_hCurrentItem == m_tree.GetRootItem() || insertedAny) {
        m_tree.Expand(m_hCurrentItem, TVE_TOGGLE);
    }
    m_tree.EnsureVisible(m_tree.GetRootItem());
}

bool CDirBrowseDlg::InsertSubfolders(std::vector<std::string> names) {
    // Inserting each name at its sorted place costs a comparison with every sibling before it;
    // sorting once in the control's order and appending gives the same tree in N log N.
    SortAsTreeLabels(names);
    m_tree.SetRedraw(FALSE);
    for (const auto& name : names)
        m_tree.InsertItem(name, kClosedFolderImage, kOpenFolderImage, m_hCurrentItem, TVI_LAST);
    m_tree.SetRedraw(TRUE);
    m_tree.Invalidate();
    return !names.empty();
}

void CDirBrowseDlg::MeasureFreeSpace(const std::string& root) {
    ULARGE_INTEGER availableToUser{};
    ULONGLONG freeBytes = 0;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (GetDiskFreeSpaceExA(root.c_str(), &availableToUser, nullptr, nullptr))
        freeBytes = availableToUser.QuadPart;
    else if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                               &totalClusters))
        freeBytes = FreeBytesFromClusters(sectorsPerCluster, bytesPerSector, freeClusters);
    m_nFreeMB = FreeMegabytes(freeBytes); // no answer counts as no space
    m_staticSpace.SetWindowText(FreeSpaceText(m_nFreeMB));
}

void CDirBrowseDlg::ResetToDrive() {
    std::string drive = m_comboDrive.GetLBText(m_comboDrive.GetCurSel());
    if (drive.empty()) // no drive selected (the start directory lay on an unlisted drive)
        drive = m_tree.GetItemText(m_tree.GetRootItem());
    m_tree.DeleteAllItems();
    m_hCurrentItem = m_tree.InsertItem(drive, kClosedFolderImage, kOpenFolderImage);
    m_strDrive = drive;
    m_strPath = drive + "\\";
    MeasureFreeSpace(m_strPath);
}

bool CDirBrowseDlg::ChangeDrive() {
    const std::string drive = m_comboDrive.GetLBText(m_comboDrive.GetCurSel());
    if (SetCurrentDirectoryA(drive.c_str()))
        return true;
    AfxMessageBox(kUnableToRead);
    m_comboDrive.SelectString(-1, m_tree.GetItemText(m_tree.GetRootItem()));
    return false;
}

void CDirBrowseDlg::OnSelchangeDrive() {
    if (!ChangeDrive())
        return;
    ResetToDrive();
    ListSubfolders();
}

void CDirBrowseDlg::PathFromItem() {
    std::vector<std::string> ancestors;
    for (HTREEITEM item = m_tree.GetParentItem(m_hClickedItem); item; item = m_tree.GetParentItem(item))
        ancestors.insert(ancestors.begin(), m_tree.GetItemText(item));
    if (ancestors.empty()) {
        m_strPath = m_strDrive + "\\";
        return;
    }
    ancestors.erase(ancestors.begin()); // the root's label: m_strDrive stands for it
    m_strPath = PathFromLabels(m_strDrive, ancestors, m_strItemText);
}

void CDirBrowseDlg::RemoveSiblings(HTREEITEM item) {
    m_hParentItem = m_tree.GetParentItem(item);
    if (!m_hParentItem)
        return;
    // Deleting the children one at a time lays the open list out again after each deletion (over
    // a minute for 10,000 folders); collapsing with reset drops them all at once. The caller opens
    // the parent again once the clicked folder is back under it.
    m_tree.Expand(m_hParentItem, TVE_COLLAPSE | TVE_COLLAPSERESET);
}

void CDirBrowseDlg::OnDblclkTree(const NMHDR* /*header*/, LRESULT* result) {
    m_hClickedItem = m_tree.GetSelectedItem();
    if (!m_hClickedItem)
        return;
    m_strItemText = m_tree.GetItemText(m_hClickedItem);
    if (m_hClickedItem == m_tree.GetRootItem()) {
        ResetToDrive();
    } else {
        if (m_tree.ItemHasChildren(m_hClickedItem))
            m_bExpandPending = TRUE;
        PathFromItem();
        RemoveSiblings(m_hClickedItem);
        m_hCurrentItem =
            m_tree.InsertItem(m_strItemText, kClosedFolderImage, kOpenFolderImage, m_hParentItem, TVI_SORT);
        m_tree.Expand(m_hParentItem, TVE_EXPAND);
        m_tree.SelectItem(m_hCurrentItem);
        m_hClickedItem = m_hCurrentItem;
    }
    ListSubfolders();
    *result = 1; // the control's own double-click handling does not run
}

void CDirBrowseDlg::OnOK() {
    if (HasRoomToInstall(m_nFreeMB)) {
        CDialog::OnOK();
        return;
    }
    PlayCue(m_strSourceDir, kCueNotEnoughSpace, SND_ASYNC);
    MessageBox("There is no space to install.", "Warning", MB_OK | MB_ICONEXCLAMATION);
}
