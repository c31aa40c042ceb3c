// The shell browse dialog behind the file-browser seam, run for real: a helper thread plays the
// user (selects a path in the dialog's tree, then gives the OK or Cancel command).
#include "win32/Win32FileBrowser.h"
#include "win32/filebrowser/BrowseTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string TempFolder() {
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    std::string folder = std::string(buffer) + "velt_browse_test";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

struct BrowseSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(w)) {
        reinterpret_cast<BrowseSearch*>(param)->found = w;
        return FALSE;
    }
    return TRUE;
}

// What the helper thread saw and did while the browse dialog was open.
struct UserPlay {
    std::string select;  // path to select, empty for none
    bool pressOk = true; // OK, or Cancel
    HWND watched = nullptr;
    std::atomic<bool> watchedWasDisabled{false};
    std::atomic<bool> sawDialog{false};
    std::atomic<bool> selected{false};
    std::atomic<bool> okEnabled{false}; // when OK was given
    std::wstring boxText;               // a message box after the dialog, answered with OK
};

void PlayUser(DWORD thread, UserPlay* play) {
    HWND dialog = nullptr;
    const DWORD start = GetTickCount();
    while (!dialog && GetTickCount() - start < 20000) {
        BrowseSearch search;
        EnumThreadWindows(thread, &FindDialog, reinterpret_cast<LPARAM>(&search));
        dialog = search.found;
        if (!dialog)
            Sleep(20);
    }
    if (!dialog)
        return; // the browse call then waits for ever: the test's time-out reports it
    play->sawDialog = true;
    if (play->watched)
        play->watchedWasDisabled = !IsWindowEnabled(play->watched);
    if (!play->select.empty()) {
        velt::testing::BrowseTree tree(GetCurrentProcessId(), dialog);
        play->selected = tree.Select(play->select);
    }
    // The dialog has handled the selection when the select message returns: OK is enabled on a
    // folder (Wine keeps it disabled on a file; the OK command returns the file all the same).
    play->okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
    PostMessageA(dialog, WM_COMMAND, play->pressOk ? IDOK : IDCANCEL, 0);
    for (int i = 0; i < 100 && play->pressOk; ++i) { // a message box that may follow
        Sleep(50);
        BrowseSearch box;
        EnumThreadWindows(thread, &FindDialog, reinterpret_cast<LPARAM>(&box));
        if (box.found != nullptr && box.found != dialog) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box.found, 0xFFFF, text, 512);
            play->boxText = text;
            PostMessageA(box.found, WM_COMMAND, IDOK, 0);
            break;
        }
    }
}

bool Browse(UserPlay& play, std::string& path) {
    velt::Win32FileBrowser browser;
    std::thread user(PlayUser, GetCurrentThreadId(), &play);
    const bool result = browser.BrowseForFileOrFolder("Select file or directory to protect", path);
    user.join();
    return result;
}

TEST(Win32FileBrowser, IsDirectoryTellsFoldersFromFilesAndMissingPaths) {
    velt::Win32FileBrowser browser;
    const std::string folder = TempFolder();
    const std::string file = folder + "\\file.txt";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    EXPECT_TRUE(browser.IsDirectory(folder));
    EXPECT_TRUE(browser.IsDirectory(folder + "\\"));
    EXPECT_TRUE(browser.IsDirectory("C:\\"));
    EXPECT_FALSE(browser.IsDirectory(file));
    EXPECT_FALSE(browser.IsDirectory(folder + "\\missing"));
    EXPECT_FALSE(browser.IsDirectory(""));
    DeleteFileA(file.c_str());
}

TEST(Win32FileBrowser, PickedFolderAndFileComeBackAsPathsAndWindowsAreEnabledAgain) {
    const std::string folder = TempFolder();
    const std::string file = folder + "\\picked.txt";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    HWND window = CreateWindowExA(0, "STATIC", "velt browse owner", WS_OVERLAPPEDWINDOW, 10, 10,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);

    for (const std::string& target : {folder, file}) {
        const bool isFolder = target == folder;
        UserPlay play;
        play.select = target;
        play.watched = window;
        std::string path = "stale";
        EXPECT_TRUE(Browse(play, path)) << target;
        EXPECT_TRUE(play.sawDialog);
        EXPECT_TRUE(play.selected) << target;
        if (isFolder) {
            EXPECT_TRUE(play.okEnabled) << "OK is offered on a folder";
        }
        EXPECT_TRUE(play.watchedWasDisabled) << "other windows stay usable during the browse";
        EXPECT_TRUE(IsWindowEnabled(window)) << "windows are enabled again afterwards";
        EXPECT_EQ(lstrcmpiA(path.c_str(), target.c_str()), 0) << path << " vs " << target;
    }
    DestroyWindow(window);
    DeleteFileA(file.c_str());
}

TEST(Win32FileBrowser, AFolderTheCodePageCannotNameIsRefusedWithAMessageNamingIt) {
    ASSERT_EQ(GetACP(), 1252U);
    const std::wstring name = L"\u041f\u0430\u043f\u043a\u0430"; // Cyrillic, "????" in 1252
    const std::string parent = TempFolder();
    const std::wstring folder = std::wstring(parent.begin(), parent.end()) + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    UserPlay play;
    play.select = parent + "\\?????"; // how the tree names it to an ANSI caller
    std::string path = "stale";
    EXPECT_FALSE(Browse(play, path));
    EXPECT_TRUE(play.selected);
    EXPECT_TRUE(path.empty()) << path;
    // Named as the shell shows it (Wine: the whole path, Windows: the folder's name).
    EXPECT_NE(play.boxText.find(name + L"\": The text contains characters"), std::wstring::npos);
    RemoveDirectoryW(folder.c_str());
}

TEST(Win32FileBrowser, CancelGivesFalseAnEmptyPathAndEnabledWindows) {
    HWND window = CreateWindowExA(0, "STATIC", "velt browse owner", WS_OVERLAPPEDWINDOW, 10, 10,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UserPlay play;
    play.select = TempFolder();
    play.pressOk = false;
    play.watched = window;
    std::string path = "stale";
    EXPECT_FALSE(Browse(play, path));
    EXPECT_TRUE(play.sawDialog);
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(IsWindowEnabled(window));
    DestroyWindow(window);
}

} // namespace
