#pragma once
// Wrappers of the controls the dialogs use: each holds the control's window handle and
// forwards to the control's messages.

#include "window.h"

#include <commctrl.h>

#include <string>

// Registers the window classes of the common controls that dialogs use (progress bar, tree view).
// The common controls library comes from the system folder and stays loaded until the program ends:
// the controls and image lists live in it. False when it could not be loaded or refused.
bool RegisterCommonControls();

// A static text: the window's text is all the dialogs set.
class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) const { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    int SetStep(int step) const {
        return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step)));
    }
    int SetPos(int pos) const { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};

class CComboBox : public CWnd {
public:
    int AddString(const std::string& text) const {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    // Selects the first entry from `start` on (-1: from the top) that begins with `prefix`, in any
    // letter case; CB_ERR when none does (the selection is then left as it was).
    int SelectString(int start, const std::string& prefix) const {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(start),
                                            reinterpret_cast<LPARAM>(prefix.c_str())));
    }
    std::string GetLBText(int index) const;
};

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // An image list from a bitmap resource of images `width` pixels wide, `mask` transparent.
    BOOL Create(UINT bitmapId, int width, int grow, COLORREF mask);
    void DeleteImageList();
    int GetImageCount() const;
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList = nullptr;
};

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST) const;
    BOOL DeleteItem(HTREEITEM item) const { return SendTree(TVM_DELETEITEM, 0, item) != 0; }
    BOOL DeleteAllItems() const { return DeleteItem(TVI_ROOT); }
    BOOL Expand(HTREEITEM item, UINT code) const { return SendTree(TVM_EXPAND, code, item) != 0; }
    BOOL SelectItem(HTREEITEM item) const { return SendTree(TVM_SELECTITEM, TVGN_CARET, item) != 0; }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(SendTree(TVM_GETNEXTITEM, code, item));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    // Whether the item counts as having children (the TVIF_CHILDREN query).
    BOOL ItemHasChildren(HTREEITEM item) const;
    std::string GetItemText(HTREEITEM item) const;
    BOOL SetIndent(UINT indent) const { return static_cast<BOOL>(SendMessage(TVM_SETINDENT, indent)); }
    BOOL EnsureVisible(HTREEITEM item) const { return SendTree(TVM_ENSUREVISIBLE, 0, item) != 0; }
    HIMAGELIST SetImageList(const CImageList& images, int which) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which),
                                                        reinterpret_cast<LPARAM>(images.GetSafeHandle())));
    }

private:
    LRESULT SendTree(UINT msg, WPARAM wParam, HTREEITEM item) const {
        return SendMessage(msg, wParam, reinterpret_cast<LPARAM>(item));
    }
};
