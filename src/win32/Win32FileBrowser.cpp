#include "win32/Win32FileBrowser.h"

#include "forms/Edit.h"
#include "win32/Win32AnsiText.h"

#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

namespace velt {

static_assert(kBrowseFlags == (BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN |
                               BIF_RETURNFSANCESTORS | BIF_BROWSEINCLUDEFILES));

namespace {

// Disables the calling thread's visible, enabled top-level windows and enables exactly those
// again when it goes out of scope, so an early return or an exception cannot leave the program
// with dead windows.
class ThreadWindowsDisabler {
  public:
    ThreadWindowsDisabler() {
        EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows_));
        for (HWND w : windows_)
            EnableWindow(w, FALSE);
    }
    ~ThreadWindowsDisabler() {
        for (HWND w : windows_)
            if (IsWindow(w))
                EnableWindow(w, TRUE);
    }
    ThreadWindowsDisabler(const ThreadWindowsDisabler&) = delete;
    ThreadWindowsDisabler& operator=(const ThreadWindowsDisabler&) = delete;

  private:
    static BOOL CALLBACK Collect(HWND w, LPARAM param) {
        if (IsWindowVisible(w) && IsWindowEnabled(w))
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
        return TRUE;
    }
    std::vector<HWND> windows_;
};

// Holds the shell's allocator and releases it on every way out.
class ShellAllocator {
  public:
    ShellAllocator() {
        if (FAILED(SHGetMalloc(&malloc_)))
            malloc_ = nullptr;
    }
    ~ShellAllocator() {
        if (malloc_)
            malloc_->Release();
    }
    ShellAllocator(const ShellAllocator&) = delete;
    ShellAllocator& operator=(const ShellAllocator&) = delete;
    IMalloc* get() const { return malloc_; }

  private:
    IMalloc* malloc_ = nullptr;
};

} // namespace

bool Win32FileBrowser::BrowseForFileOrFolder(std::string_view title, std::string& path) {
    path.clear();
    ShellAllocator allocator;
    IMalloc* shellMalloc = allocator.get();
    if (!shellMalloc)
        return false;
    // Read as Unicode: the ANSI calls would hand back a name the code page cannot hold as
    // question marks, which would then be kept as if it were the name picked.
    auto* buffer = static_cast<wchar_t*>(shellMalloc->Alloc(MAX_PATH * sizeof(wchar_t)));
    if (!buffer)
        return false;
    buffer[0] = L'\0';

    const std::wstring titleText = ToWide(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner_ ? owner_ : GetActiveWindow();
    info.pidlRoot = nullptr;
    info.pszDisplayName = buffer; // the picked item's name as the shell shows it
    info.lpszTitle = titleText.c_str();
    info.ulFlags = kBrowseFlags;

    PIDLIST_ABSOLUTE picked = nullptr;
    {
        ThreadWindowsDisabler disabled;
        picked = SHBrowseForFolderW(&info);
    }

    bool result = false;
    if (picked) {
        buffer[MAX_PATH - 1] = L'\0';
        const std::wstring shown(buffer);
        std::wstring wide(MAX_PATH, L'\0');
        if (!SHGetPathFromIDListW(picked, wide.data()))
            wide[0] = L'\0';
        shellMalloc->Free(picked);
        wide.resize(std::wcslen(wide.c_str()));
        result = ToAnsi(wide, path);
        if (!result) {
            path.clear();
            const std::wstring text = L"\"" + shown + L"\": " + ToWide(Edit::kUnrepresentableText);
            MessageBoxW(info.hwndOwner, text.c_str(), ToWide(Edit::kUnrepresentableTitle).c_str(),
                        MB_OK | MB_ICONWARNING);
        }
    }
    shellMalloc->Free(buffer);
    return result;
}

bool Win32FileBrowser::IsDirectory(std::string_view path) {
    const std::string name(path);
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace velt
