#include "win32/Win32DriverFiles.h"

#include "win32/SystemLibrary.h"
#include "win32/Win32Security.h"

#include "driver/DriverFileCheck.h"
#include "driver/PathTrust.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace velt {

namespace {

constexpr DWORD kMaxDescriptor = 64 * 1024;

// While it lives, this thread of a 32-bit program on 64-bit Windows reads System32 itself rather
// than SysWOW64, as the kernel reads a driver's image. The functions are looked up at run time
// (XP has neither; a Windows without them redirects nothing). Nothing may load a DLL meanwhile:
// the loader would look in the 64-bit folder too.
class KernelFileView {
  public:
    KernelFileView() {
        using DisableFn = BOOL(WINAPI*)(PVOID*);
        const auto disable = Kernel32Export<DisableFn>("Wow64DisableWow64FsRedirection");
        active_ = disable != nullptr && disable(&previous_) != FALSE;
    }
    ~KernelFileView() {
        using RevertFn = BOOL(WINAPI*)(PVOID);
        const auto revert = Kernel32Export<RevertFn>("Wow64RevertWow64FsRedirection");
        if (active_ && revert != nullptr) {
            revert(previous_);
        }
    }
    KernelFileView(const KernelFileView&) = delete;
    KernelFileView& operator=(const KernelFileView&) = delete;

  private:
    PVOID previous_ = nullptr;
    bool active_ = false;
};

} // namespace

std::int64_t Win32DriverFiles::ReadFileAt(std::string_view path, std::uint32_t offset, void* buffer,
                                          std::uint32_t size) {
    const std::string name(path);
    const KernelFileView view;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    DWORD read = 0;
    OVERLAPPED at{};
    at.Offset = offset;
    // A read from past the end fails with ERROR_HANDLE_EOF and reads nothing.
    if (ReadFile(file, buffer, size, &read, &at) == FALSE) {
        read = 0;
    }
    CloseHandle(file);
    return read;
}

bool Win32DriverFiles::ReadSecurity(std::string_view path, SecuritySummary& out) {
    const std::string name(path);
    const KernelFileView view;
    constexpr SECURITY_INFORMATION kWanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityA(name.c_str(), kWanted, nullptr, 0, &needed);
    if (needed == 0 || needed > kMaxDescriptor) {
        return false;
    }
    std::vector<BYTE> descriptor(needed);
    if (GetFileSecurityA(name.c_str(), kWanted, descriptor.data(), needed, &needed) == FALSE) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(name.c_str());
    SecuritySummary summary;
    if (attributes == INVALID_FILE_ATTRIBUTES || !SummarizeDescriptor(descriptor.data(), summary)) {
        return false;
    }
    summary.reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    out = std::move(summary);
    return true;
}

std::string Win32DriverFiles::SystemFolder() {
    return SystemFolderPath();
}

bool Win32DriverFiles::Is64BitWindows() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = Kernel32Export<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    // Without the function (XP before SP2) or its answer, Windows is 32-bit.
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE;
}

std::string Win32DriverFiles::FileDescription(std::string_view path) {
    // version.dll from the system folder, loaded when needed rather than imported.
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    HMODULE version = LoadSystemLibrary("version.dll");
    const auto infoSize = ExportOf<SizeFn>(version, "GetFileVersionInfoSizeA");
    const auto info = ExportOf<InfoFn>(version, "GetFileVersionInfoA");
    const auto query = ExportOf<QueryFn>(version, "VerQueryValueA");
    std::string description;
    const std::string name(path);
    DWORD unused = 0;
    // version.dll is loaded above; its reads of the file go where the kernel's go.
    const KernelFileView view;
    const DWORD size = infoSize != nullptr ? infoSize(name.c_str(), &unused) : 0;
    constexpr DWORD kMaxVersionInfo = 64 * 1024;
    std::vector<BYTE> data(size > 0 && size <= kMaxVersionInfo ? size : 0);
    WORD* languages = nullptr;
    UINT languagesSize = 0;
    if (!data.empty() && info != nullptr && query != nullptr &&
        info(name.c_str(), 0, size, data.data()) != FALSE &&
        query(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&languages),
              &languagesSize) != FALSE &&
        languagesSize >= 2 * sizeof(WORD)) {
        // "\StringFileInfo\<language><code page>\FileDescription", each as four hex digits.
        std::string key = "\\StringFileInfo\\";
        for (const WORD word : {languages[0], languages[1]}) {
            for (int shift = 12; shift >= 0; shift -= 4) {
                key.push_back("0123456789abcdef"[(word >> shift) & 0xF]);
            }
        }
        key += "\\FileDescription";
        char* text = nullptr;
        UINT length = 0;
        if (query(data.data(), key.c_str(), reinterpret_cast<LPVOID*>(&text), &length) != FALSE &&
            text != nullptr) {
            constexpr std::size_t kMaxDescription = 255;
            description.assign(text, strnlen(text, std::min<std::size_t>(length, kMaxDescription)));
        }
    }
    if (version != nullptr) {
        FreeLibrary(version);
    }
    return description;
}

} // namespace velt
