// Times the directory browser opening a folder of many subfolders: from the double-click on the
// folder's item to the tree listed and painted; back out of it (a double-click on its parent, which
// drops the listed items with their folder); and into one of them (which drops its siblings one by
// one).
//   usage: dir_browse_bench PARENT...   each PARENT holds one folder "big" with the subfolders
#include "app.h"
#include "dir_browse_dlg.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
class BenchApp : public CWinApp {};

class TimedBrowser : public CDirBrowseDlg {
public:
    double m_openSeconds = 0;
    double m_leaveSeconds = 0;
    double m_enterSeconds = 0;
    size_t m_listed = 0;

    void Measure() {
        if (HTREEITEM big = FindChild("big")) {
            m_openSeconds = TimeDoubleClick(big);
            for (HTREEITEM item = m_tree.GetChildItem(m_hCurrentItem); item;
                 item = m_tree.GetNextSiblingItem(item))
                ++m_listed;
            m_leaveSeconds = TimeDoubleClick(m_tree.GetParentItem(m_hCurrentItem));
            TimeDoubleClick(FindChild("big"));
            m_enterSeconds = TimeDoubleClick(m_tree.GetChildItem(m_hCurrentItem));
        }
        EndDialog(IDCANCEL);
    }

private:
    HTREEITEM FindChild(const std::string& label) const {
        for (HTREEITEM item = m_tree.GetChildItem(m_hCurrentItem); item;
             item = m_tree.GetNextSiblingItem(item))
            if (m_tree.GetItemText(item) == label)
                return item;
        return nullptr;
    }

    double TimeDoubleClick(HTREEITEM item) {
        m_tree.SelectItem(item);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        NMHDR header{m_tree.m_hWnd, IDC_FOLDER_TREE, static_cast<UINT>(NM_DBLCLK)};
        SendMessage(WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&header));
        UpdateWindow(m_tree.m_hWnd);
        QueryPerformanceCounter(&end);
        return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
};

TimedBrowser* g_browser = nullptr;

void CALLBACK MeasureOnce(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_browser->Measure();
}
} // namespace

int main(int argc, char** argv) {
    BenchApp app;
    app.Start(GetModuleHandleA(nullptr));
    std::vector<std::pair<size_t, double>> figures;
    for (int i = 1; i < argc; ++i) {
        if (!SetCurrentDirectoryA(argv[i])) {
            std::fprintf(stderr, "dir_browse_bench: cannot enter %s\n", argv[i]);
            return 2;
        }
        TimedBrowser browser;
        g_browser = &browser;
        SetTimer(nullptr, 0, 10, MeasureOnce);
        browser.DoModal();
        std::printf("%6zu subfolders: listed in %.3f s, left in %.3f s, one of them entered in %.3f s\n",
                    browser.m_listed, browser.m_openSeconds, browser.m_leaveSeconds, browser.m_enterSeconds);
        figures.emplace_back(browser.m_listed, browser.m_openSeconds);
    }
    if (figures.size() == 2 && figures[0].second > 0) {
        const auto [n1, t1] = figures[0];
        const auto [n2, t2] = figures[1];
        const double nLogN =
            (n2 * std::log(static_cast<double>(n2))) / (n1 * std::log(static_cast<double>(n1)));
        std::printf("time ratio %.2f for %.1f times the folders (N log N: %.2f, N^2: %.1f)\n", t2 / t1,
                    static_cast<double>(n2) / n1, nLogN,
                    static_cast<double>(n2) * n2 / (static_cast<double>(n1) * n1));
    }
    std::fflush(stdout);
    return 0;
}
