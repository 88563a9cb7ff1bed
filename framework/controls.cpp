#include "controls.h"

#include "app.h"
#include "dll_search.h"

#include <utility>

namespace {
// The functions of the common controls library this framework calls; null where the library or
// the function is missing.
struct CommonControlsApi {
    decltype(&InitCommonControlsEx) initCommonControlsEx;
    decltype(&ImageList_LoadImageA) imageListLoadImage;
    decltype(&ImageList_Destroy) imageListDestroy;
    decltype(&ImageList_GetImageCount) imageListGetImageCount;
};

// Loaded on first use and kept until the program ends.
const CommonControlsApi& CommonControls() {
    static const CSystemDll library("comctl32.dll");
    static const CommonControlsApi api{
        library.GetProc<decltype(&InitCommonControlsEx)>("InitCommonControlsEx"),
        library.GetProc<decltype(&ImageList_LoadImageA)>("ImageList_LoadImageA"),
        library.GetProc<decltype(&ImageList_Destroy)>("ImageList_Destroy"),
        library.GetProc<decltype(&ImageList_GetImageCount)>("ImageList_GetImageCount")};
    return api;
}
} // namespace

bool RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES};
    const auto init = CommonControls().initCommonControlsEx;
    return init && init(&controls);
}

std::string CComboBox::GetLBText(int index) const {
    const auto length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

BOOL CImageList::Create(UINT bitmapId, int width, int grow, COLORREF mask) {
    DeleteImageList();
    if (const auto loadImage = CommonControls().imageListLoadImage)
        m_hImageList = loadImage(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), width, grow, mask,
                                 IMAGE_BITMAP, LR_CREATEDIBSECTION);
    return m_hImageList != nullptr;
}

void CImageList::DeleteImageList() {
    const HIMAGELIST list = std::exchange(m_hImageList, nullptr);
    if (const auto destroy = CommonControls().imageListDestroy; list && destroy)
        destroy(list);
}

int CImageList::GetImageCount() const {
    const auto count = CommonControls().imageListGetImageCount;
    return m_hImageList && count ? count(m_hImageList) : 0;
}

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after) const {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const {
    char buffer[MAX_PATH] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = MAX_PATH;
    SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return buffer;
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const {
    TVITEMA query{};
    query.mask = TVIF_CHILDREN | TVIF_HANDLE;
    query.hItem = item;
    SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return query.cChildren != 0;
}
