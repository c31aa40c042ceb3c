// The shell's browse dialog driven through its tree view, from the program that runs it or from
// another one. Item texts are read through a buffer written into the dialog's process, since
// tree-view messages carry pointers.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace velt::testing {

class BrowseTree {
  public:
    BrowseTree(DWORD pid, HWND browse)
        : browse_(browse), tree_(FindWindowExA(browse, nullptr, WC_TREEVIEWA, nullptr)),
          process_(
              OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid)) {
        if (process_)
            remote_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~BrowseTree() {
        if (remote_)
            VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    BrowseTree(const BrowseTree&) = delete;
    BrowseTree& operator=(const BrowseTree&) = delete;

    // Walks Desktop > My Computer > the drive > each folder of the path, expanding on the way,
    // and selects the item the path names (the dialog hears of it as from a user's click). True
    // when that item is the tree's selection afterwards.
    bool Select(const std::string& path) {
        if (!tree_ || !remote_ || path.size() < 3 || path[1] != ':')
            return false;
        WaitSettled();
        HTREEITEM item = Next(nullptr, TVGN_ROOT); // Desktop
        item = Child(item, [](const std::string& t) { return t == "My Computer"; });
        const std::string drive = std::string("(") + path.substr(0, 2) + ")";
        item = Child(item, [&](const std::string& t) {
            return t.size() >= drive.size() &&
                   lstrcmpiA(t.substr(t.size() - drive.size()).c_str(), drive.c_str()) == 0;
        });
        std::size_t at = 3;
        while (item && at < path.size()) {
            std::size_t end = path.find('\\', at);
            if (end == std::string::npos)
                end = path.size();
            const std::string part = path.substr(at, end - at);
            item = Child(item, [&](const std::string& t) {
                return lstrcmpiA(t.c_str(), part.c_str()) == 0;
            });
            at = end + 1;
        }
        return item &&
               SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) !=
                   0 &&
               Next(nullptr, TVGN_CARET) == item;
    }

  private:
    // A user clicks once the dialog is up and active: the activation moves the focus inside the
    // dialog, and a tree view that gets the focus with nothing selected selects its first item
    // (the Desktop) itself. Returns as soon as the dialog is active; goes on regardless after the
    // time-out (the caller checks the selection it made).
    void WaitSettled() {
        const DWORD thread = GetWindowThreadProcessId(browse_, nullptr);
        const DWORD start = GetTickCount();
        for (;;) {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            if (GetGUIThreadInfo(thread, &gui) && gui.hwndActive == browse_ && gui.hwndFocus)
                return;
            if (GetTickCount() - start > kSettleMs)
                return;
            Sleep(20);
        }
    }

    static constexpr DWORD kSettleMs = 15000;
    static constexpr SIZE_T kRemoteSize = 4096;
    static constexpr int kTextOffset = 512;

    HTREEITEM Next(HTREEITEM item, WPARAM how) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    std::string ItemText(HTREEITEM item) {
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = remote_ + kTextOffset;
        tv.cchTextMax = kRemoteSize - kTextOffset - 1;
        char text[kRemoteSize - kTextOffset] = {};
        if (!WriteProcessMemory(process_, remote_, &tv, sizeof tv, nullptr) ||
            !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote_)) ||
            !ReadProcessMemory(process_, remote_ + kTextOffset, text, sizeof text - 1, nullptr))
            return {};
        return text;
    }
    template <class Match> HTREEITEM Child(HTREEITEM parent, Match match) {
        if (!parent)
            return nullptr;
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        for (HTREEITEM c = Next(parent, TVGN_CHILD); c; c = Next(c, TVGN_NEXT))
            if (match(ItemText(c)))
                return c;
        return nullptr;
    }

    HWND browse_;
    HWND tree_;
    HANDLE process_;
    char* remote_ = nullptr;
};

} // namespace velt::testing
